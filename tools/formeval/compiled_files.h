// Reading NAME.sym and NAME.obj for formeval, and checking that each starts
// with the 12-character header that Formula requires.
#pragma once

#include <cstddef>
#include <string>

namespace formeval {

// The whole file, or false when it cannot be read.
bool read_file(const std::string &path, std::string &contents);

// Whether the text can be a headered text of records `record_width` wide: its
// count field holds "%4d" of a count n >= 0 and the text holds n complete
// records after the header (a line end after the last one is tolerated). A
// text written without its header (formcomp -b) almost never passes, since its
// columns 8-11 fall inside the records.
bool has_header(const std::string &text, std::size_t record_width);

// The number of input variables (tipo 1, scope 1) among the records of a
// headered symbol text: the value array needs one element more.
int count_input_variables(const std::string &symbol_text);

}  // namespace formeval
