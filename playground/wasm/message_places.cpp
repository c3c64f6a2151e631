#include "playground/wasm/message_places.h"

#include <cctype>
#include <cstdlib>

namespace playground {

namespace {

bool is_name_character(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// The number after the last "linea " of the message, or 0.
int line_of(std::string_view message) {
    const std::size_t at = message.rfind("linea ");
    if (at == std::string_view::npos) return 0;
    return std::atoi(std::string(message.substr(at + 6)).c_str());
}

// The name that the message quotes, or an empty view.
std::string_view quoted_name(std::string_view message) {
    static constexpr std::string_view prefixes[] = {"Variabile ", "Label ", "Nome della formula ", "Nome ",
                                                    "Numero "};
    for (std::string_view prefix : prefixes) {
        if (!message.starts_with(prefix)) continue;
        std::string_view rest = message.substr(prefix.size());
        return rest.substr(0, rest.find(' '));
    }
    if (const std::size_t at = message.find(" non e' una variabile"); at != std::string_view::npos)
        return message.substr(0, at);
    return {};
}

// The source cut into lines once, so that many messages cost one pass.
class source_lines {
public:
    explicit source_lines(std::string_view source) : source_(source) {
        starts_.push_back(0);
        for (std::size_t at = source.find('\n'); at != std::string_view::npos; at = source.find('\n', at + 1))
            starts_.push_back(at + 1);
    }
    int count() const { return static_cast<int>(starts_.size()); }
    // Line `number` (1-based), or an empty view.
    std::string_view line(int number) const {
        if (number < 1 || number > count()) return {};
        const std::size_t start = starts_[static_cast<std::size_t>(number) - 1];
        const std::size_t end = source_.find('\n', start);
        return source_.substr(start, end == std::string_view::npos ? end : end - start);
    }

private:
    std::string_view source_;
    std::vector<std::size_t> starts_;
};

// Where `name` stands as a whole word in `text`, or npos.
std::size_t find_word(std::string_view text, std::string_view name, std::size_t from = 0) {
    for (std::size_t at = text.find(name, from); at != std::string_view::npos; at = text.find(name, at + 1)) {
        const bool starts = at == 0 || !is_name_character(text[at - 1]);
        const std::size_t end = at + name.size();
        const bool ends = end == text.size() || !is_name_character(text[end]);
        if (starts && ends) return at;
    }
    return std::string_view::npos;
}

// A label that no "label" declares is found after its first "goto".
void place_missing_label(const source_lines &lines, std::string_view name, message_place &place) {
    for (int line = 1; line <= lines.count(); ++line) {
        const std::string_view text = lines.line(line);
        const std::size_t jump = find_word(text, "goto");
        if (jump == std::string_view::npos) continue;
        const std::size_t at = find_word(text, name, jump + 4);
        if (at == std::string_view::npos) continue;
        place.line = line;
        place.column = static_cast<int>(at) + 1;
        place.end_column = place.column + static_cast<int>(name.size());
        return;
    }
}

message_place place_message(const source_lines &lines, std::string_view message) {
    message_place place;
    place.message = std::string(message);
    const std::string_view name = quoted_name(message);
    place.line = line_of(message);
    if (place.line == 0) {
        if (message.starts_with("Label ") && !name.empty()) place_missing_label(lines, name, place);
        return place;
    }
    const std::string_view text = lines.line(place.line);
    const std::size_t at = name.empty() ? std::string_view::npos : find_word(text, name);
    if (at != std::string_view::npos) {
        place.column = static_cast<int>(at) + 1;
        place.end_column = place.column + static_cast<int>(name.size());
        return place;
    }
    // The whole line, without its leading and trailing blanks.
    std::size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    place.column = static_cast<int>(first) + 1;
    place.end_column = static_cast<int>(last) + 1;
    return place;
}

}  // namespace

std::vector<message_place> place_messages(std::string_view source, std::string_view messages) {
    const source_lines lines(source);
    std::vector<message_place> places;
    while (!messages.empty()) {
        const std::size_t end = messages.find('\n');
        const std::string_view message = messages.substr(0, end);
        if (!message.empty()) places.push_back(place_message(lines, message));
        if (end == std::string_view::npos) break;
        messages.remove_prefix(end + 1);
    }
    return places;
}

}  // namespace playground
