// What the operations compute, for both loops that run them (execution.h and
// register_code.h): the value of each arithmetic, bitwise, comparing and
// rounding operation, the bitwise operators on truncated integers, the
// rounding at decimal places (decimal_places.h) and the division message.
#pragma once

#include <cmath>
#include <cstdint>

#include "evaluator/decimal_places.h"
#include "evaluator/operation_code.h"
#include "evaluator/truncation.h"

namespace zerizi {

// Shows "Errore" / "Divisione per zero"; once per zero divisor met.
void report_zero_divisor();

// LOGAND, LOGOR and LOGNOT work bit by bit on the operands truncated toward
// zero to 32-bit integers (0.9 AND 1 is 0), not on truth values: LOGNOT of 0
// is -1 and of 1 is -2, so the complement of a comparison is never 0.
constexpr double bitwise_and(double a, double b) noexcept {
    return static_cast<double>(truncate_to_int32(a) & truncate_to_int32(b));
}
constexpr double bitwise_or(double a, double b) noexcept {
    return static_cast<double>(truncate_to_int32(a) | truncate_to_int32(b));
}
constexpr double bitwise_not(double x) noexcept { return static_cast<double>(~truncate_to_int32(x)); }

// The value operation O gives for the left operand a and the right operand b
// (the top of the stack), or for the one operand x of SIGN and LOGNOT. DIV
// and MODOPER compute a nonzero divisor's quotient and remainder only: what a
// zero divisor does is the loop's.
template <operation_code O>
struct operation_result {
    double operator()(double a, double b) const noexcept {
        if constexpr (O == op_PLUS) return a + b;
        if constexpr (O == op_MINUS) return a - b;
        if constexpr (O == op_MULT) return a * b;
        if constexpr (O == op_DIV) return a / b;
        // b per cent of a, multiplied in this order (not divided by 100).
        if constexpr (O == op_PERC) {
            const double product = a * b;
            return product * 0.01;
        }
        if constexpr (O == op_MODOPER) return std::fmod(a, b);  // exact, with the sign of a
        if constexpr (O == op_LOGAND) return bitwise_and(a, b);
        if constexpr (O == op_LOGOR) return bitwise_or(a, b);
        if constexpr (O == op_LGT) return a > b ? 1.0 : 0.0;
        if constexpr (O == op_LLT) return a < b ? 1.0 : 0.0;
        if constexpr (O == op_LGE) return a >= b ? 1.0 : 0.0;
        if constexpr (O == op_LLE) return a <= b ? 1.0 : 0.0;
        if constexpr (O == op_LNE) return a != b ? 1.0 : 0.0;
        if constexpr (O == op_LEQ) return a == b ? 1.0 : 0.0;
        if constexpr (O == op_ROUND) return round_places(a, b);
        if constexpr (O == op_CEIL) return ceil_places(a, b);
        if constexpr (O == op_FLOOR) return floor_places(a, b);
    }
    double operator()(double x) const noexcept {
        if constexpr (O == op_SIGN) return -x;  // a change of sign, not the signum
        if constexpr (O == op_LOGNOT) return bitwise_not(x);
    }
};

}  // namespace zerizi
