// Reading NAME.sym and NAME.obj for formeval, checking that each starts with
// the 12-character header that Formula requires, and cutting their records.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace formeval {

// The whole file, or false when it cannot be read.
bool read_file(const std::string &path, std::string &contents);

// Whether the text can be a headered text of records `record_width` wide: its
// count field holds "%4d" of a count n >= 0 and the text holds n complete
// records after the header (a line end after the last one is tolerated). A
// text written without its header (formcomp -b) almost never passes, since its
// columns 8-11 fall inside the records.
bool has_header(const std::string &text, std::size_t record_width);

// One record of a headered symbol text: tipo, scope and the 20-character text
// without its leading blanks (a variable's name or a constant's literal).
struct symbol_record {
    int tipo = 0;
    int scope = 0;
    std::string text;
};

// One record of a headered code text.
struct instruction_record {
    int kind = 0;
    int value = 0;
};

// The complete records of each text, in order; record i stands at [i - 1].
std::vector<symbol_record> read_symbol_records(const std::string &symbol_text);
std::vector<instruction_record> read_instruction_records(const std::string &code_text);

// The number of input variables (tipo 1, scope 1) among the records of a
// headered symbol text: the value array needs one element more.
int count_input_variables(const std::string &symbol_text);

// Whether a headered symbol text holds an output variable (tipo 1, scope 2):
// without one, Formula leaves element 0 as the caller set it.
bool has_output_variable(const std::string &symbol_text);

}  // namespace formeval
