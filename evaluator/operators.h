// What the execution loop's operations need beyond plain double arithmetic:
// the bitwise operators on truncated integers, the rounding at decimal places
// (decimal_places.h) and the division message.
#pragma once

#include <cstdint>

#include "evaluator/decimal_places.h"
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

}  // namespace zerizi
