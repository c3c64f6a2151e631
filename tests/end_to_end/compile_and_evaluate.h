// Compiles a formula source into its two files in a scratch folder, reads
// them back and evaluates them with Formula from the ZERIZI library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace end_to_end {

struct compiled_formula {
    int exit_code = -1;
    std::string messages;      // what the compiler printed
    std::string symbol_text;   // NAME.sym
    std::string code_text;     // NAME.obj
};

compiled_formula compile(std::string_view source);

// Element 0 after Formula, with `inputs` in elements 1, 2, ...; element 0
// starts as `before` so that a formula that hands nothing back shows it.
double evaluate(const compiled_formula &formula, const std::vector<double> &inputs,
                double before = -999.0);

// compile, then evaluate; the compile must succeed.
double run(std::string_view source, const std::vector<double> &inputs = {});

std::string read_text_file(const std::string &path);

}  // namespace end_to_end
