#include "tools/formeval/decimal_conversion.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace formeval {

decimal_digits shortest_digits(double magnitude) {
    // "d.ddde+XX" (or "de+XX"): the shortest digits in scientific notation.
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    decimal_digits result;
    if (error != std::errc()) return result;
    const auto *exponent_mark = static_cast<const char *>(std::memchr(text, 'e', static_cast<std::size_t>(end - text)));
    if (exponent_mark == nullptr) return result;
    result.digits[0] = text[0];
    result.count = 1;
    if (exponent_mark - text > 2) {  // the digits after the point
        const auto more = static_cast<std::size_t>(exponent_mark - text - 2);
        std::memcpy(result.digits + 1, text + 2, more);
        result.count += static_cast<int>(more);
    }
    int exponent = 0;
    for (const char *at = exponent_mark + 2; at < end; ++at) exponent = exponent * 10 + (*at - '0');
    result.point = (exponent_mark[1] == '-' ? -exponent : exponent) + 1;
    return result;
}

double decimal_value(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return HUGE_VAL;  // rejected like any value beyond the doubles
    return value;
}

}  // namespace formeval
