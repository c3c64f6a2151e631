#include "tools/formeval/arguments.h"

#include <cstdio>
#include <string_view>

#include "tools/formeval/messages.h"

namespace formeval {

namespace {

std::string format_message(const char *format, const char *argument) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, argument);
    return buffer;
}

}  // namespace

bool parse_arguments(int argc, const char *const *argv, invocation &result, std::string &error) {
    std::vector<std::string> words;
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (!options_ended && word == "--") {
            options_ended = true;
        } else if (!options_ended && word.starts_with("--")) {
            // No options yet; each new one is recognised here.
            error = format_message(unknown_option_text, argv[i]);
            return false;
        } else {
            words.emplace_back(word);
        }
    }
    if (words.empty() || words.front().empty()) {
        error = usage_text;
        return false;
    }
    result.name = words.front();
    result.inputs.assign(words.begin() + 1, words.end());
    return true;
}

}  // namespace formeval
