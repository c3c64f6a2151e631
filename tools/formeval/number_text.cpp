#include "tools/formeval/number_text.h"

#include <charconv>

namespace formeval {

std::optional<double> parse_number(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string shortest_text(double value) {
    std::string text;
    append_shortest_text(text, value);
    return text;
}

void append_shortest_text(std::string &out, double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

}  // namespace formeval
