// The command line of formeval: options (words starting with "--"; "--" ends
// them), then the formula's name and what the mode takes after it. Inputs may
// be negative numbers, so a single "-" does not start an option; the one
// exceptions are "-o FILE" of the modes that write CSV, which take no
// numbers. A NAME may name another folder: "old/PREMIO" reads
// old/PREMIO.sym and old/PREMIO.obj.
//
//   formeval NAME [INPUT ...]               evaluate once, print the output
//   formeval --list NAME                    the compiled code as formcomp -d lists it
//   formeval --trace NAME [INPUT ...]       the evaluation step by step
//   formeval --csv NAME FILE.csv [-o OUT]   one evaluation per row of FILE.csv
//   formeval --check NAME FILE.csv [--tolerance T]
//                                           every row's result against the
//                                           expected one in its last column
//   formeval --compare OLD NEW FILE.csv [-o OUT] [--tolerance T]
//                                           the rows whose results differ
//   formeval --coverage SOURCE.frm FILE.csv [--lcov OUT.info]
//                                           how often each source line ran
//   formeval --help (or -h), --version      the help text, the version
// --help and -h anywhere before "--" ask for the help whatever else is given,
// then --version.
#pragma once

#include <string>
#include <vector>

namespace formeval {

enum class mode { evaluate, list, trace, csv, check, compare, coverage, help, version };

struct invocation {
    formeval::mode mode = mode::evaluate;
    std::string name;                 // NAME: NAME.sym and NAME.obj; --compare: OLD; --coverage: SOURCE.frm
    std::string new_name;             // --compare: NEW
    std::vector<std::string> inputs;  // as typed; converted by number_text
    std::string csv_path;             // the rows to evaluate
    std::string output_path;          // -o: the file to write (empty: standard output)
    double tolerance = 0.0;           // --tolerance: the largest difference that still agrees
    std::string lcov_path;            // --coverage --lcov: the tracefile to write (empty: none)
};

// Returns false and sets `error` (a complete message) when the command line
// cannot be used.
bool parse_arguments(int argc, const char *const *argv, invocation &result, std::string &error);

}  // namespace formeval
