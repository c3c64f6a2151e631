// The command line of formeval: options (words starting with "--"; "--" ends
// them), then the formula's name and its inputs. Inputs may be negative
// numbers, so a single "-" does not start an option.
#pragma once

#include <string>
#include <vector>

namespace formeval {

struct invocation {
    std::string name;                 // NAME: NAME.sym and NAME.obj in the current folder
    std::vector<std::string> inputs;  // as typed; converted by number_text
};

// Returns false and sets `error` (a complete message) when the command line
// cannot be used.
bool parse_arguments(int argc, const char *const *argv, invocation &result, std::string &error);

}  // namespace formeval
