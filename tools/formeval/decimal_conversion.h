// The two conversions under formeval's number texts (number_text.h) that each
// platform gives in its own way: a double's shortest round-trip digits, and a
// checked decimal text's nearest double. The native build takes them from
// to_chars and from_chars (decimal_conversion.cpp); the playground's
// WebAssembly build, whose C++ library has neither for floating point, from
// JavaScript (playground/wasm/decimal_conversion_web.cpp).
#pragma once

#include <string_view>

namespace formeval {

// A positive finite double as the fewest digits that read back as it (the
// closest of them, ties to even): value = 0.d1d2...dn * 10^point, with d1 and
// dn not 0.
struct decimal_digits {
    char digits[24] = {};  // at most 17 are needed
    int count = 0;
    int point = 0;

    std::string_view text() const noexcept { return {digits, static_cast<std::size_t>(count)}; }
    void push_back(char digit) noexcept {
        if (count < static_cast<int>(sizeof digits)) digits[count++] = digit;
    }
};
decimal_digits shortest_digits(double magnitude);

// The double nearest to `text`: digits with an optional point (at least one
// digit) and an optional exponent ("e" or "E", an optional sign, digits),
// nothing else. A text beyond the doubles' range reads as an infinity, or as
// a zero when it is too small.
double decimal_value(std::string_view text);

}  // namespace formeval
