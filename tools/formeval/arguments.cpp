#include "tools/formeval/arguments.h"

#include <cstdio>
#include <string_view>

#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

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
    else if (word == "--check") selected = mode::check;
    else if (word == "--compare") selected = mode::compare;
    else if (word == "--coverage") selected = mode::coverage;
    else return false;
    return true;
}

// The words of a mode that reads a CSV file: its names and FILE.csv (the
// last), with "-o OUT" before, between or after them where the mode writes
// CSV. Whether OUT is FILE.csv under another name is checked on the files
// (output_sink.cpp).
bool read_csv_words(const std::vector<std::string> &words, std::size_t names, bool writes_csv, invocation &result,
                    std::string &error) {
    std::vector<std::string> positional;
    bool output_given = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "-o" && writes_csv) {
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
    if (positional.size() != names + 1 || positional.back().empty() ||
        (names == 2 && positional[1].empty())) {
        error = usage_text;
        return false;
    }
    // Without a name the rows would go to standard output unasked.
    if (output_given && result.output_path.empty()) {
        error = empty_output_name_text;
        return false;
    }
    result.name = positional[0];
    if (names == 2) result.new_name = positional[1];
    result.csv_path = positional.back();
    return true;
}

// The options that take a value: --tolerance T (--check, --compare) and
// --lcov OUT.info (--coverage). Sets `taken` when `word` is one of them.
bool read_value_option(std::string_view word, const char *value, invocation &result, bool &taken,
                       std::string &error) {
    taken = word == "--tolerance" || word == "--lcov";
    if (!taken) return true;
    if (value == nullptr) {
        error = usage_text;
        return false;
    }
    if (word == "--lcov") {
        if (value[0] == '\0') {
            error = usage_text;
            return false;
        }
        result.lcov_path = value;
        return true;
    }
    const auto tolerance = parse_number(value);
    if (!tolerance || *tolerance < 0.0) {
        error = format_message(tolerance_text, value);
        return false;
    }
    result.tolerance = *tolerance;
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
    bool tolerance_given = false;
    bool lcov_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        bool value_option = false;
        if (!options_ended && !read_value_option(word, i + 1 < argc ? argv[i + 1] : nullptr, result, value_option, error))
            return false;
        if (!options_ended && value_option) {
            bool &given = word == "--lcov" ? lcov_given : tolerance_given;
            if (given) {
                error = usage_text;
                return false;
            }
            given = true;
            ++i;
        } else if (!options_ended && word == "--") {
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
    // Each value option belongs to its modes.
    const bool compares = result.mode == mode::check || result.mode == mode::compare;
    if ((tolerance_given && !compares) || (lcov_given && result.mode != mode::coverage)) {
        error = usage_text;
        return false;
    }
    switch (result.mode) {
        case mode::csv:
            return read_csv_words(words, 1, true, result, error);
        case mode::check:
        case mode::coverage:
            return read_csv_words(words, 1, false, result, error);
        case mode::compare:
            return read_csv_words(words, 2, true, result, error);
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
