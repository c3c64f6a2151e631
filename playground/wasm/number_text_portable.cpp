// formeval's number texts (tools/formeval/number_text.h) for a C++ library
// without floating-point to_chars and from_chars (Emscripten 3.1's libc++).
// The texts are the same, byte for byte: a number is read as from_chars
// reads it (general format) and written in the shortest form that reads
// back as the same double, chosen between fixed and scientific as to_chars
// chooses. The digits come from printf's correctly rounded %e, shortened
// until they no longer read back.
#include "tools/formeval/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace formeval {

namespace {

bool starts_with_word(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
    return true;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The length of the number at the start of `text` as from_chars takes it
// (sign, digits with an optional point, an optional complete exponent, or
// inf, infinity, nan, nan(...)), 0 when there is none. `has_nonzero_digit`
// tells whether a decimal number's digits are not all zero.
std::size_t number_length(std::string_view text, bool &special, bool &has_nonzero_digit) {
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::string_view rest = text.substr(at);
    special = true;
    if (starts_with_word(rest, "infinity")) return at + 8;
    if (starts_with_word(rest, "inf")) return at + 3;
    if (starts_with_word(rest, "nan")) {
        at += 3;
        if (at < text.size() && text[at] == '(') {
            std::size_t close = at + 1;
            while (close < text.size() && (std::isalnum(static_cast<unsigned char>(text[close])) || text[close] == '_'))
                ++close;
            if (close < text.size() && text[close] == ')') at = close + 1;
        }
        return at;
    }
    special = false;
    has_nonzero_digit = false;
    std::size_t digits = 0;
    for (; at < text.size() && is_digit(text[at]); ++at, ++digits) has_nonzero_digit |= text[at] != '0';
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (; at < text.size() && is_digit(text[at]); ++at, ++digits) has_nonzero_digit |= text[at] != '0';
    }
    if (digits == 0) return 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && is_digit(text[exponent])) {
            while (exponent < text.size() && is_digit(text[exponent])) ++exponent;
            at = exponent;
        }
    }
    return at;
}

// A double's shortest digits: value = 0.d1d2...dn * 10^(point), n >= 1.
struct decimal_digits {
    char digits[24];
    int count;
    int point;
};

bool reads_back(const char *digits, int count, int point, double value) {
    char text[48];
    std::snprintf(text, sizeof text, "0.%.*se%d", count, digits, point);
    return std::strtod(text, nullptr) == value;
}

// The n-digit neighbour of `digits` one unit above or below in the last
// digit; false when it would need another digit count.
bool neighbour(const char *digits, int count, int step, char *out) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    for (int i = count - 1; i >= 0; --i) {
        if (step > 0 && out[i] != '9') { ++out[i]; return true; }
        if (step < 0 && out[i] != '0') { --out[i]; return out[0] != '0'; }
        out[i] = step > 0 ? '0' : '9';
    }
    return false;
}

// `value` correctly rounded to `count` significant digits.
decimal_digits rounded_digits(double value, int count) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*e", count - 1, value);
    // text: d[.ddd]e±XX
    decimal_digits result{};
    const char *c = text;
    for (; *c != 'e'; ++c)
        if (is_digit(*c)) result.digits[result.count++] = *c;
    result.point = std::atoi(c + 1) + 1;
    return result;
}

bool reads_back(const decimal_digits &d, double value) {
    return reads_back(d.digits, d.count, d.point, value);
}

// The fewest digits that read back as `value` (finite, positive), the
// closest to it among them. Correctly rounded digits that read back keep
// doing so with more digits, so the fewest are found by bisection. Only
// where the double's interval is lopsided (a power of two: the gap below is
// half the gap above) may fewer digits read back that are not the closest:
// there every count is tried, with the neighbours of the rounded digits.
decimal_digits shortest_digits(double value) {
    int exponent;
    if (std::frexp(value, &exponent) != 0.5) {
        int low = 1, high = 17;
        while (low < high) {
            const int middle = (low + high) / 2;
            if (reads_back(rounded_digits(value, middle), value)) high = middle;
            else low = middle + 1;
        }
        return rounded_digits(value, low);
    }
    for (int count = 1; count < 17; ++count) {
        const decimal_digits rounded = rounded_digits(value, count);
        if (reads_back(rounded, value)) return rounded;
        for (const int step : {1, -1}) {
            decimal_digits other = rounded;
            if (neighbour(rounded.digits, count, step, other.digits) && reads_back(other, value)) return other;
        }
    }
    return rounded_digits(value, 17);
}

// `magnitude` (positive, finite) in fixed notation from its shortest digits.
// A whole number is written with all its digits, as to_chars does: beyond
// 2^53 those are not the shortest digits padded with zeros.
void append_fixed(std::string &out, double magnitude, const decimal_digits &d) {
    if (d.point >= d.count) {
        char text[320];
        std::snprintf(text, sizeof text, "%.0f", magnitude);
        out += text;
    } else if (d.point <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.point), '0');
        out.append(d.digits, static_cast<std::size_t>(d.count));
    } else {
        out.append(d.digits, static_cast<std::size_t>(d.point));
        out += '.';
        out.append(d.digits + d.point, static_cast<std::size_t>(d.count - d.point));
    }
}

void append_scientific(std::string &out, const decimal_digits &d) {
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits + 1, static_cast<std::size_t>(d.count - 1));
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%+03d", d.point - 1);
    out += exponent;
}

// Infinities, NaN and zeros as to_chars writes them; false for other values.
bool append_special(std::string &out, double value) {
    if (std::signbit(value) && (std::isnan(value) || std::isinf(value) || value == 0.0)) out += '-';
    if (std::isnan(value)) out += "nan";
    else if (std::isinf(value)) out += "inf";
    else if (value == 0.0) out += '0';
    else return false;
    return true;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    bool special = false, has_nonzero_digit = false;
    const std::size_t length = number_length(text, special, has_nonzero_digit);
    if (length == 0 || length != text.size()) return std::nullopt;
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!special && (std::isinf(value) || (value == 0.0 && has_nonzero_digit))) return std::nullopt;
    return value;
}

std::string shortest_text(double value) {
    std::string text;
    append_shortest_text(text, value);
    return text;
}

void append_shortest_text(std::string &out, double value) {
    if (append_special(out, value)) return;
    if (value < 0) out += '-';
    const double magnitude = std::fabs(value);
    const decimal_digits digits = shortest_digits(magnitude);
    std::string fixed, scientific;
    append_fixed(fixed, magnitude, digits);
    append_scientific(scientific, digits);
    out += fixed.size() <= scientific.size() ? fixed : scientific;
}

void append_plain_number(std::string &out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16))) {
        append_shortest_text(out, value);
        return;
    }
    if (append_special(out, value)) return;
    if (value < 0) out += '-';
    append_fixed(out, magnitude, shortest_digits(magnitude));
}

}  // namespace formeval
