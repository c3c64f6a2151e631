// Truncation of a double toward zero to a 32-bit signed integer, wherever a
// value serves as an integer (jump addresses, symbol indices, LOGAND, LOGOR,
// LOGNOT, ROUND's places). NaN and values outside the 32-bit range give
// INT32_MIN, as the x86 truncating conversion does, instead of undefined
// behaviour.
#pragma once

#include <cstdint>

namespace zerizi {

constexpr std::int32_t truncate_to_int32(double value) noexcept {
    // Both bounds are exact doubles; NaN fails the test.
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<std::int32_t>(value);
    return INT32_MIN;
}

}  // namespace zerizi
