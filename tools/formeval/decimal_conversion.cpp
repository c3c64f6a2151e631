#include "tools/formeval/decimal_conversion.h"

#include <charconv>
#include <cmath>

namespace formeval {

decimal_digits shortest_digits(double magnitude) {
    // "d.ddde+XX": the shortest digits in scientific notation.
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    decimal_digits result;
    if (error != std::errc()) return result;
    const char *at = text;
    for (; at != end && *at != 'e'; ++at)
        if (*at != '.') result.push_back(*at);
    int exponent = 0;
    const bool negative = at != end && at + 1 != end && at[1] == '-';
    if (at != end) at += 2;  // "e" and its sign
    for (; at < end; ++at) exponent = exponent * 10 + (*at - '0');
    result.point = (negative ? -exponent : exponent) + 1;
    return result;
}

double decimal_value(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return HUGE_VAL;  // rejected like any value beyond the doubles
    return value;
}

}  // namespace formeval
