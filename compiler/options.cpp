#include "compiler/options.h"

#include "compiler/console_output.h"
#include "compiler/messages.h"

#include <cstring>

namespace formcomp {

namespace {

run_flags current_flags;
int option_index = 1;                 // the next argument to look at
const char *option_letters = nullptr;  // the rest of the group in progress, or null

}  // namespace

run_flags &flags() {
    return current_flags;
}

int next_option(int argc, char **argv, const char *accepted) {
    if (!option_letters || *option_letters == '\0') {
        if (option_index >= argc) return -1;
        const char *argument = argv[option_index];
        if (argument[0] != '-' || argument[1] == '\0') return -1;
        ++option_index;
        if (std::strcmp(argument, "--") == 0) return -1;
        option_letters = argument + 1;
    }
    char letter = *option_letters++;
    if (letter == ':' || !std::strchr(accepted, letter)) {
        print_error(messages::unknown_option, argv[0], letter);
        return '?';
    }
    return static_cast<unsigned char>(letter);
}

void reset_options() {
    current_flags = run_flags{};
    option_index = 1;
    option_letters = nullptr;
}

}  // namespace formcomp
