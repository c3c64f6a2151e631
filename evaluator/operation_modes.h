// What each operation is, once, for every machine that runs or translates
// code (the execution loop, the register translation and its steps, the
// tools that trace a run): the values it pops and pushes, whether it divides
// (and may show the division message), whether it calls a library function,
// whether it jumps, and whether it assigns to or tests a symbol by index.
// What an operation computes stands in operators.h (operation_result).
//
// The table is generated from FORMULA_OPCODES: every opcode must have its
// mode_<NAME> below, or the table does not compile.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "evaluator/operation_code.h"
#include "formula/format.h"

namespace zerizi {

// How an operation uses the index it pops (the top value, truncated).
enum class index_use : std::uint8_t {
    none,
    assigns,  // ASSIGN: v i -> ; stores v into symbol i
    tests,    // LOGISIN: i -> whether symbol i was assigned in this run
};

struct operation_mode {
    std::uint8_t pops;    // values taken from the stack (a pop from an empty stack gives 0.0)
    std::uint8_t pushes;  // values put on it (a zero divisor pushes nothing)
    bool divides;         // a zero divisor (0.0 or -0.0) shows the division message instead
    bool calls_out;       // computed by a library function (fmod, the decimal-place rounding)
    bool jumps;           // pops a target and may move the run there
    index_use index;
    bool stops;  // hands the output back and ends the run
};

// The modes, by opcode name. Jumps: BRF pops the condition below the target.
inline constexpr operation_mode mode_nothing{0, 0, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_ASSIGN{2, 0, false, false, false, index_use::assigns, false};
inline constexpr operation_mode mode_PLUS{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_MINUS{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_MULT{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_DIV{2, 1, true, false, false, index_use::none, false};
inline constexpr operation_mode mode_SIGN{1, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_PERC{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_MODOPER{2, 1, true, true, false, index_use::none, false};
inline constexpr operation_mode mode_LOGAND{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LOGOR{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LOGNOT{1, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LGT{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LLT{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LGE{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LLE{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LNE{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LEQ{2, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_BRF{2, 0, false, false, true, index_use::none, false};
inline constexpr operation_mode mode_BR{1, 0, false, false, true, index_use::none, false};
inline constexpr operation_mode mode_INF{0, 0, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_ERM{0, 0, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_LOGISIN{1, 1, false, false, false, index_use::tests, false};
inline constexpr operation_mode mode_ROUND{2, 1, false, true, false, index_use::none, false};
inline constexpr operation_mode mode_CEIL{2, 1, false, true, false, index_use::none, false};
inline constexpr operation_mode mode_FLOOR{2, 1, false, true, false, index_use::none, false};
inline constexpr operation_mode mode_STOP{0, 0, false, false, false, index_use::none, true};
// The instructions that are not Operatori, and the fused assignment
// ("Riferimento i, ASSIGN" as one step: v -> , i known).
inline constexpr operation_mode mode_push_symbol{0, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_push_integer{0, 1, false, false, false, index_use::none, false};
inline constexpr operation_mode mode_assign_to{1, 0, false, false, false, index_use::assigns, false};
inline constexpr operation_mode mode_by_value = mode_nothing;  // decoded as it runs: see its operation

inline constexpr std::array<operation_mode, operation_count> operation_modes = {
    mode_nothing,
#define ZERIZI_OPERATION_MODE(name, number) mode_##name,
    FORMULA_OPCODES(ZERIZI_OPERATION_MODE)
#undef ZERIZI_OPERATION_MODE
        mode_push_symbol,
    mode_push_integer,
    mode_assign_to,
    mode_by_value,
};

constexpr const operation_mode &mode_of(operation_code operation) noexcept { return operation_modes[operation]; }

// The most values one instruction puts on the stack. A pop from an empty
// stack leaves it empty, so an instruction may add all it pushes: a run
// without a jump adds at most this many values per instruction.
inline constexpr std::size_t most_values_pushed = [] {
    std::uint8_t most = 0;
    for (const operation_mode &mode : operation_modes) most = std::max(most, mode.pushes);
    return std::size_t{most};
}();

}  // namespace zerizi
