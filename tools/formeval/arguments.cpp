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

// Sets the mode for a mode option; false for any other word.
bool read_mode_option(std::string_view word, mode &selected) {
    if (word == "--list") selected = mode::list;
    else if (word == "--trace") selected = mode::trace;
    else if (word == "--csv") selected = mode::csv;
    else return false;
    return true;
}

// NAME FILE.csv, with "-o OUT" before, between or after them. Whether OUT is
// FILE.csv under another name is checked on the files (csv_mode.cpp).
bool read_csv_words(const std::vector<std::string> &words, invocation &result, std::string &error) {
    std::vector<std::string> positional;
    bool output_given = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "-o") {
            if (i + 1 == words.size() || output_given) {
                error = usage_text;
                return false;
            }
            output_given = true;
            result.output_path = words[++i];
        } else {
            positional.push_back(words[i]);
        }
    }
    if (positional.size() != 2 || positional[1].empty()) {
        error = usage_text;
        return false;
    }
    // Without a name the rows would go to standard output unasked.
    if (output_given && result.output_path.empty()) {
        error = empty_output_name_text;
        return false;
    }
    result.name = positional[0];
    result.csv_path = positional[1];
    return true;
}

// --help, -h or --version before "--", which need nothing else.
bool asks_for_help_or_version(int argc, const char *const *argv, invocation &result) {
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--") break;
        if (word == "--help" || word == "-h") {
            result.mode = mode::help;
            return true;
        }
        version = version || word == "--version";
    }
    if (version) result.mode = mode::version;
    return version;
}

}  // namespace

bool parse_arguments(int argc, const char *const *argv, invocation &result, std::string &error) {
    if (asks_for_help_or_version(argc, argv, result)) return true;
    std::vector<std::string> words;
    bool options_ended = false;
    bool mode_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (!options_ended && word == "--") {
            options_ended = true;
        } else if (!options_ended && word.starts_with("--")) {
            mode selected = mode::evaluate;
            if (!read_mode_option(word, selected)) {
                error = format_message(unknown_option_text, argv[i]);
                return false;
            }
            if (mode_given && selected != result.mode) {
                error = usage_text;
                return false;
            }
            result.mode = selected;
            mode_given = true;
        } else {
            words.emplace_back(word);
        }
    }
    if (words.empty() || words.front().empty()) {
        error = usage_text;
        return false;
    }
    switch (result.mode) {
        case mode::csv:
            return read_csv_words(words, result, error);
        case mode::list:
            if (words.size() != 1) {
                error = usage_text;
                return false;
            }
            break;
        case mode::evaluate:
        case mode::trace:
        case mode::help:
        case mode::version:
            break;
    }
    result.name = words.front();
    result.inputs.assign(words.begin() + 1, words.end());
    return true;
}

}  // namespace formeval
