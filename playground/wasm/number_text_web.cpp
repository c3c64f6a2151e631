// formeval's number texts (tools/formeval/number_text.h) for the WebAssembly
// build, whose C++ library has no floating-point to_chars and from_chars, and
// whose printf and strtod compute in software long double (some 20 µs a
// call). The texts are the same, byte for byte: JavaScript's own conversions
// give the digits. Number to String gives the fewest digits that read back
// as the same double, the closest of them, ties to even: the digits of
// to_chars. String to Number rounds correctly. The syntax is checked here,
// as from_chars checks it (general format), and the digits are then placed in
// fixed or scientific notation as to_chars places them.
#include "tools/formeval/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include <emscripten/emscripten.h>

// clang-format off
EM_JS(int, shortest_digits_text, (double value, char *out, int size), {
    const text = String(value);
    stringToUTF8(text, out, size);
    return text.length;
});

EM_JS(double, decimal_text_value, (const char *text), {
    return Number(UTF8ToString(text));
});
// clang-format on

namespace formeval {

namespace {

bool starts_with_word(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
    return true;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

enum class number_kind { none, decimal, infinity, not_a_number };

// What the number at the start of `text` is and how long it is as from_chars
// takes it (sign, digits with an optional point, an optional complete
// exponent, or inf, infinity, nan, nan(...)). `has_nonzero_digit` tells
// whether a decimal number's digits are not all zero.
number_kind scan_number(std::string_view text, std::size_t &length, bool &has_nonzero_digit) {
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::string_view rest = text.substr(at);
    if (starts_with_word(rest, "infinity")) {
        length = at + 8;
        return number_kind::infinity;
    }
    if (starts_with_word(rest, "inf")) {
        length = at + 3;
        return number_kind::infinity;
    }
    if (starts_with_word(rest, "nan")) {
        at += 3;
        if (at < text.size() && text[at] == '(') {
            std::size_t close = at + 1;
            while (close < text.size() && (std::isalnum(static_cast<unsigned char>(text[close])) || text[close] == '_'))
                ++close;
            if (close < text.size() && text[close] == ')') at = close + 1;
        }
        length = at;
        return number_kind::not_a_number;
    }
    has_nonzero_digit = false;
    std::size_t digits = 0;
    for (; at < text.size() && is_digit(text[at]); ++at, ++digits) has_nonzero_digit |= text[at] != '0';
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (; at < text.size() && is_digit(text[at]); ++at, ++digits) has_nonzero_digit |= text[at] != '0';
    }
    if (digits == 0) return number_kind::none;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && is_digit(text[exponent])) {
            while (exponent < text.size() && is_digit(text[exponent])) ++exponent;
            at = exponent;
        }
    }
    length = at;
    return number_kind::decimal;
}

// A double's shortest digits: value = 0.d1d2...dn * 10^(point), n >= 1.
struct decimal_digits {
    std::string digits;
    int point = 0;
};

// The digits of a positive finite value, from JavaScript's text of it
// ("123.25", "0.000001", "1.5e-7", "1e+21").
decimal_digits shortest_digits(double value) {
    char text[40];
    shortest_digits_text(value, text, sizeof text);
    decimal_digits result;
    int exponent = 0;
    int whole_digits = -1;
    for (const char *c = text; *c; ++c) {
        if (*c == 'e') {
            exponent = std::atoi(c + 1);
            break;
        }
        if (*c == '.') whole_digits = static_cast<int>(result.digits.size());
        else result.digits += *c;
    }
    if (whole_digits < 0) whole_digits = static_cast<int>(result.digits.size());
    result.point = whole_digits + exponent;
    std::size_t leading = 0;
    while (leading + 1 < result.digits.size() && result.digits[leading] == '0') ++leading;
    result.digits.erase(0, leading);
    result.point -= static_cast<int>(leading);
    while (result.digits.size() > 1 && result.digits.back() == '0') result.digits.pop_back();
    return result;
}

// `magnitude` (positive, finite) in fixed notation from its shortest digits.
// A whole number is written with all its digits, as to_chars does: beyond
// 2^53 those are not the shortest digits padded with zeros.
void append_fixed(std::string &out, double magnitude, const decimal_digits &d) {
    const int count = static_cast<int>(d.digits.size());
    if (d.point >= count) {
        if (magnitude < 9007199254740992.0) {  // 2^53: every whole number below is exact
            out += d.digits;
            out.append(static_cast<std::size_t>(d.point - count), '0');
        } else {
            char text[320];
            std::snprintf(text, sizeof text, "%.0f", magnitude);
            out += text;
        }
    } else if (d.point <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.point), '0');
        out += d.digits;
    } else {
        out.append(d.digits, 0, static_cast<std::size_t>(d.point));
        out += '.';
        out.append(d.digits, static_cast<std::size_t>(d.point));
    }
}

void append_scientific(std::string &out, const decimal_digits &d) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += '.';
        out.append(d.digits, 1);
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
    std::size_t length = 0;
    bool has_nonzero_digit = false;
    const number_kind kind = scan_number(text, length, has_nonzero_digit);
    if (kind == number_kind::none || length != text.size()) return std::nullopt;
    // "inf" and "nan" read as doubles but are no amounts a formula computes with.
    if (kind != number_kind::decimal) return std::nullopt;
    const double value = decimal_text_value(std::string(text).c_str());
    // Beyond the doubles (an infinity, or a zero from digits that are not all zero).
    if (std::isinf(value) || (value == 0.0 && has_nonzero_digit)) return std::nullopt;
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
