#include "evaluator/constant_conversion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "formula/format.h"
#include "platform/decimal_text.h"

namespace zerizi {

namespace {

// Powers of ten that are exact doubles.
constexpr double exact_powers_of_ten[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
constexpr int largest_exact_power = 22;
constexpr std::uint64_t exact_integer_limit = std::uint64_t{1} << 53;

constexpr bool is_blank(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace

// Clinger's fast path: when the digits form an integer m < 2^53 and the point
// stands k <= 22 digits from the end, m and 10^k are exact doubles and one
// correctly rounded division gives the correctly rounded value of the literal,
// which is what a correctly rounding strtod returns. x87 arithmetic rounds
// twice, so there the fast path is not taken.
bool exact_decimal_value(std::string_view text, double &value) noexcept {
#if !ZERIZI_EXACT_DIVISION
    (void)text;
    (void)value;
    return false;
#else
    // The literal stands right-aligned after a run of spaces: skip them eight
    // at a time (the last eight characters when fewer than eight remain),
    // then any other blanks one by one.
    std::size_t i = 0;
    while (i < text.size() && text.size() >= 8) {
        const std::size_t at = std::min(i, text.size() - 8);  // characters at .. i - 1 are spaces
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        const std::uint64_t other = word ^ 0x2020202020202020u;
        if (other == 0) {
            i = at + 8;
            continue;
        }
        if constexpr (std::endian::native == std::endian::little) i = at + static_cast<std::size_t>(std::countr_zero(other) / 8);
        break;
    }
    while (i < text.size() && is_blank(text[i])) ++i;
    std::uint64_t mantissa = 0;
    std::size_t integer_digits = 0;
    for (; i < text.size() && is_digit(text[i]); ++i, ++integer_digits) {
        mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
        if (mantissa >= exact_integer_limit) return false;
    }
    if (integer_digits == 0) return false;
    int fraction_digits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && is_digit(text[i]); ++i) {
            mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
            if (mantissa >= exact_integer_limit || ++fraction_digits > largest_exact_power) return false;
        }
        if (fraction_digits == 0) return false;
    }
    if (i != text.size()) return false;
    value = static_cast<double>(mantissa) / exact_powers_of_ten[fraction_digits];
    return true;
#endif
}

// The literal as the compiler writes it into the 20-character field: blanks,
// then at most 15 digits with at most one point between them. Every such
// literal is below 2^53 with at most 14 digits after the point, so Clinger's
// fast path (see exact_decimal_value) gives strtod's value. The blanks are
// passed over a word at a time; the field lies inside the text, so all of
// its 20 characters may be read.
double constant_field_value(const char *field) noexcept {
#if ZERIZI_EXACT_DIVISION
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t blanks = 0x2020202020202020u;
        constexpr std::size_t width = formula::symbol_text_width;
        std::size_t start = 0;
        std::uint64_t word;
        std::memcpy(&word, field, sizeof word);
        if (word == blanks) {
            start = 8;
            std::memcpy(&word, field + 8, sizeof word);
            if (word == blanks) {
                start = width - 8;
                std::memcpy(&word, field + start, sizeof word);
            }
        }
        word ^= blanks;
        if (word != 0) {
            std::size_t i = start + static_cast<std::size_t>(std::countr_zero(word) / 8);
            std::uint64_t mantissa = 0;
            std::size_t point = width;  // where the point stands, if anywhere
            const std::size_t first_digit = i;
            for (; i < width; ++i) {
                const unsigned digit = static_cast<unsigned char>(field[i]) - unsigned{'0'};
                if (digit <= 9) {
                    mantissa = mantissa * 10 + digit;
                } else if (field[i] == '.' && point == width) {
                    point = i;
                } else {
                    break;
                }
            }
            const std::size_t digits = width - first_digit - (point != width);
            if (i == width && digits <= 15 && point != first_digit && point != width - 1)
                return static_cast<double>(mantissa) /
                       exact_powers_of_ten[point == width ? 0 : width - 1 - point];
        }
    }
#endif
    return constant_value({field, formula::symbol_text_width});
}

double constant_value(std::string_view text) noexcept {
    double value;
    if (exact_decimal_value(text, value)) return value;
    // Anything else goes to the C library, from a zero-terminated copy.
    char buffer[formula::symbol_text_width + 1];
    std::size_t length = text.size() < formula::symbol_text_width ? text.size() : formula::symbol_text_width;
    text.copy(buffer, length);
    buffer[length] = '\0';
    return platform::decimal_text_to_double(buffer);
}

}  // namespace zerizi
