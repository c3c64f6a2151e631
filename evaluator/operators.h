// The opcodes that compute a value: what each gives for its operands. The
// execution loop applies them to the stack: with two operands b is the top and
// a the value below it (a is the left operand as written in the source), with
// one it is x; the result replaces them. A zero divisor of DIV or MODOPER
// shows the division message instead and leaves no result (execution.h).
#pragma once

#include <cmath>
#include <cstdint>

#include "evaluator/decimal_places.h"
#include "evaluator/truncation.h"
#include "formula/format.h"

namespace zerizi {

// Shows "Errore" / "Divisione per zero", once per call.
void report_zero_divisor();

// One operand.
constexpr double unary_result(std::int32_t opcode, double x) noexcept {
    switch (opcode) {
        // SIGN (6): x -> -x, a change of sign (not the signum).
        case formula::SIGN: return -x;
        // LOGNOT (11): x -> ~trunc(x), the bitwise complement: 0 gives -1, 1 gives -2.
        case formula::LOGNOT: return static_cast<double>(~truncate_to_int32(x));
        default: return x;
    }
}

// Two operands, a below and b on top; the zero divisors of DIV and MODOPER
// never reach this.
inline double binary_result(std::int32_t opcode, double a, double b) noexcept {
    switch (opcode) {
        // PLUS (2), MINUS (3), MULT (4), DIV (5): double arithmetic.
        case formula::PLUS: return a + b;
        case formula::MINUS: return a - b;
        case formula::MULT: return a * b;
        case formula::DIV: return a / b;
        // PERC (7): b per cent of a, as (a * b) * 0.01 (not divided by 100).
        case formula::PERC: {
            const double product = a * b;
            return product * 0.01;
        }
        // MODOPER (8): the C library's fmod, exact, with the sign of a.
        case formula::MODOPER: return std::fmod(a, b);
        // LOGAND (9), LOGOR (10): bitwise on the truncated integers (0.9 AND 1 is 0).
        case formula::LOGAND: return static_cast<double>(truncate_to_int32(a) & truncate_to_int32(b));
        case formula::LOGOR: return static_cast<double>(truncate_to_int32(a) | truncate_to_int32(b));
        // LGT (12) … LEQ (17): 1.0 when the comparison holds, else 0.0.
        case formula::LGT: return a > b ? 1.0 : 0.0;
        case formula::LLT: return a < b ? 1.0 : 0.0;
        case formula::LGE: return a >= b ? 1.0 : 0.0;
        case formula::LLE: return a <= b ? 1.0 : 0.0;
        case formula::LNE: return a != b ? 1.0 : 0.0;
        case formula::LEQ: return a == b ? 1.0 : 0.0;
        // ROUND (23): a at trunc(b) places, halves away from zero.
        case formula::ROUND: return round_places(a, b);
        // CEIL (24), FLOOR (25): a rounded up or down at the b-th place.
        case formula::CEIL: return ceil_places(a, b);
        case formula::FLOOR: return floor_places(a, b);
        default: return b;
    }
}

}  // namespace zerizi
