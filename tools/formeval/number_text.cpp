// formeval's number texts, the same on every platform: the syntax, the sign,
// the choice between fixed and scientific notation (the shorter, fixed on a
// tie, as to_chars chooses) and the 1e-5 ... 1e16 rule of plain numbers, over
// the two conversions of decimal_conversion.h.
#include "tools/formeval/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/formeval/decimal_conversion.h"

namespace formeval {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The length of the unsigned decimal number at the start of `text`, as
// from_chars takes it (digits with an optional point, an optional complete
// exponent), or 0 when there is none; `has_nonzero_digit` tells whether its
// digits are not all zero.
std::size_t decimal_length(std::string_view text, bool &has_nonzero_digit) {
    std::size_t at = 0;
    std::size_t digits = 0;
    has_nonzero_digit = false;
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

constexpr double two_to_53 = 9007199254740992.0;  // every whole number below is exact

// The characters of `magnitude` in fixed notation (append_fixed).
std::size_t fixed_length(double magnitude, const decimal_digits &d) {
    const int count = d.count;
    if (d.point >= count && magnitude >= two_to_53)
        return static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.0f", magnitude));
    if (d.point >= count) return static_cast<std::size_t>(d.point);
    if (d.point <= 0) return static_cast<std::size_t>(2 - d.point + count);
    return static_cast<std::size_t>(count + 1);
}

std::size_t scientific_length(const decimal_digits &d) {
    const int exponent = std::abs(d.point - 1);
    return static_cast<std::size_t>(d.count + (d.count > 1 ? 1 : 0) + (exponent >= 100 ? 5 : 4));
}

// `magnitude` (positive, finite) in fixed notation from its shortest digits.
// A whole number is written with all its digits, as to_chars does: beyond
// 2^53 those are not the shortest digits padded with zeros.
void append_fixed(std::string &out, double magnitude, const decimal_digits &d) {
    const int count = d.count;
    const std::string_view digits = d.text();
    if (d.point >= count) {
        if (magnitude < two_to_53) {
            out += digits;
            out.append(static_cast<std::size_t>(d.point - count), '0');
        } else {
            char text[320];
            std::snprintf(text, sizeof text, "%.0f", magnitude);
            out += text;
        }
    } else if (d.point <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.point), '0');
        out += digits;
    } else {
        out += digits.substr(0, static_cast<std::size_t>(d.point));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(d.point));
    }
}

void append_scientific(std::string &out, const decimal_digits &d) {
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out += d.text().substr(1);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%+03d", d.point - 1);
    out += exponent;
}

// Infinities, NaN and zeros as to_chars writes them, and the sign of any
// other value; true when the value is written.
bool append_special_or_sign(std::string &out, double value) {
    if (std::signbit(value)) out += '-';
    if (std::isnan(value)) out += "nan";
    else if (std::isinf(value)) out += "inf";
    else if (value == 0.0) out += '0';
    else return false;
    return true;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    bool has_nonzero_digit = false;
    // "inf" and "nan" are no amounts a formula computes with: only decimal numbers.
    if (text.empty() || decimal_length(text, has_nonzero_digit) != text.size()) return std::nullopt;
    const double magnitude = decimal_value(text);
    // Beyond the doubles: an infinity, or a zero from digits that are not all zero.
    if (std::isinf(magnitude) || (magnitude == 0.0 && has_nonzero_digit)) return std::nullopt;
    return negative ? -magnitude : magnitude;
}

std::string shortest_text(double value) {
    std::string text;
    append_shortest_text(text, value);
    return text;
}

void append_shortest_text(std::string &out, double value) {
    if (append_special_or_sign(out, value)) return;
    const double magnitude = std::fabs(value);
    const decimal_digits digits = shortest_digits(magnitude);
    if (fixed_length(magnitude, digits) <= scientific_length(digits)) append_fixed(out, magnitude, digits);
    else append_scientific(out, digits);
}

void append_plain_number(std::string &out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16))) {
        append_shortest_text(out, value);
        return;
    }
    if (append_special_or_sign(out, value)) return;
    append_fixed(out, magnitude, shortest_digits(magnitude));
}

}  // namespace formeval
