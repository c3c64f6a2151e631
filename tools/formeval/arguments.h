// The command line of formeval: options (words starting with "--"; "--" ends
// them), then the formula's name and what the mode takes after it. Inputs may
// be negative numbers, so a single "-" does not start an option; the one
// exception is "-o FILE" of the CSV mode, which takes no numbers.
//
//   formeval NAME [INPUT ...]               evaluate once, print the output
//   formeval --list NAME                    the compiled code as formcomp -d lists it
//   formeval --trace NAME [INPUT ...]       the evaluation step by step
//   formeval --csv NAME FILE.csv [-o OUT]   one evaluation per row of FILE.csv
//   formeval --help (or -h), --version      the help text, the version
// --help and -h anywhere before "--" ask for the help whatever else is given,
// then --version.
#pragma once

#include <string>
#include <vector>

namespace formeval {

enum class mode { evaluate, list, trace, csv, help, version };

struct invocation {
    formeval::mode mode = mode::evaluate;
    std::string name;                 // NAME: NAME.sym and NAME.obj in the current folder
    std::vector<std::string> inputs;  // as typed; converted by number_text
    std::string csv_path;             // --csv: the rows to evaluate
    std::string output_path;          // --csv -o: the file to write (empty: standard output)
};

// Returns false and sets `error` (a complete message) when the command line
// cannot be used.
bool parse_arguments(int argc, const char *const *argv, invocation &result, std::string &error);

}  // namespace formeval
