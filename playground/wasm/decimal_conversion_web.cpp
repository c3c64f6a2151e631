// The number texts' two conversions (tools/formeval/decimal_conversion.h) for
// the WebAssembly build, whose C++ library has no floating-point to_chars and
// from_chars, and whose printf and strtod compute in software long double
// (some 20 µs a call): JavaScript's own. Number to String gives the fewest
// digits that read back as the same double, the closest of them, ties to
// even: the digits of to_chars. String to Number rounds correctly, as
// from_chars does.
#include "tools/formeval/decimal_conversion.h"

#include <cstdlib>
#include <cstring>
#include <string>

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

// From JavaScript's text of the value ("123.25", "0.000001", "1.5e-7", "1e+21").
decimal_digits shortest_digits(double magnitude) {
    char text[40];
    shortest_digits_text(magnitude, text, sizeof text);
    decimal_digits result;
    int exponent = 0;
    int whole_digits = -1;
    for (const char *c = text; *c; ++c) {
        if (*c == 'e') {
            exponent = std::atoi(c + 1);
            break;
        }
        if (*c == '.') whole_digits = result.count;
        else result.push_back(*c);
    }
    if (whole_digits < 0) whole_digits = result.count;
    result.point = whole_digits + exponent;
    // "0.000001": the zeros before the first digit go; so do those after the last.
    int leading = 0;
    while (leading + 1 < result.count && result.digits[leading] == '0') ++leading;
    std::memmove(result.digits, result.digits + leading, static_cast<std::size_t>(result.count - leading));
    result.count -= leading;
    result.point -= leading;
    while (result.count > 1 && result.digits[result.count - 1] == '0') --result.count;
    return result;
}

double decimal_value(std::string_view text) { return decimal_text_value(std::string(text).c_str()); }

}  // namespace formeval
