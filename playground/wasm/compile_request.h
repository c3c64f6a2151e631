// A compile for the page through the compile library (compiler/compile.h):
// the formula compiled as formcomp, formcomp -d and formcomp -b would compile
// it from standard input, with nothing written to files. The result is a
// JSON object:
//   exit          formcomp's exit code
//   messages      what formcomp prints (standard output, then standard error)
//   places        each message with the range of its token: line, column,
//                 end_line, end_column (1-based, columns in bytes, the end
//                 one past the token), message, and for a syntax error the
//                 token found and the tokens expected
//   listing       what formcomp -d prints
//   name          the formula's name (the files' name without extension)
//   symbol_file, code_file      the files' names, NAME.sym and NAME.obj
//   symbols, code               the two texts with their header
//   symbols_bare, code_bare     the two texts as -b writes them
//   inputs        the input variables' names, in binding order
//   output        the output variable's name, or an empty text
// The texts, names and inputs are there only when the compile succeeded.
#pragma once

#include <string>
#include <string_view>

namespace playground {

std::string compile_to_json(std::string_view source);

}  // namespace playground
