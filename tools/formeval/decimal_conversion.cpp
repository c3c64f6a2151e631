#include "tools/formeval/decimal_conversion.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace formeval {

decimal_digits shortest_digits(double magnitude) {
    // "d.ddde+XX": the shortest digits in scientific notation.
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific);
    decimal_digits result;
    if (error != std::errc()) return result;
    *end = '\0';
    const char *at = text;
    for (; at != end && *at != 'e'; ++at)
        if (*at != '.') result.push_back(*at);
    result.point = (at != end ? std::atoi(at + 1) : 0) + 1;
    return result;
}

double decimal_value(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return HUGE_VAL;  // rejected like any value beyond the doubles
    return value;
}

}  // namespace formeval
