#include "tools/formeval/number_text.h"

#include <charconv>
#include <cmath>

namespace formeval {

std::optional<double> parse_number(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    // "inf" and "nan" read as doubles but are no amounts a formula computes with.
    if (!std::isfinite(value)) return std::nullopt;
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

namespace formeval {

void append_plain_number(std::string &out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16))) {
        append_shortest_text(out, value);
        return;
    }
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, error == std::errc() ? end : buffer);
}

}  // namespace formeval
