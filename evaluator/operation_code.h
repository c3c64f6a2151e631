// What the execution loop does for an instruction, decoded from its kind and
// value and numbered densely for the loop's dispatch table: nothing (unknown
// kinds and numbers that are not opcodes), one operation per opcode in the
// order of FORMULA_OPCODES (so ASSIGN to FLOOR keep their numbers 1 to 25,
// and STOP is 26), then the two pushes, the one fused operation, and the
// step with which Formula's machine decodes an Operatore's value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "formula/format.h"

namespace zerizi {

enum operation_code : std::uint8_t {
    op_nothing,
#define ZERIZI_OPERATION_ENUMERATOR(name, number) op_##name,
    FORMULA_OPCODES(ZERIZI_OPERATION_ENUMERATOR)
#undef ZERIZI_OPERATION_ENUMERATOR
        op_push_symbol,  // Operando
    op_push_integer,     // Riferimento
    op_assign_to,        // Riferimento i then ASSIGN, fused in a prepared formula
    op_by_value,         // Operatore: the operation its value names, decoded as it runs
};
inline constexpr std::size_t operation_count = std::size_t{op_by_value} + 1;

// The operation of every Operatore value from 0 to the largest opcode.
inline constexpr auto operation_of_opcode = [] {
    std::array<operation_code, formula::largest_opcode + 1> table{};  // op_nothing
#define ZERIZI_OPERATION_OF_OPCODE(name, number) table[number] = op_##name;
    FORMULA_OPCODES(ZERIZI_OPERATION_OF_OPCODE)
#undef ZERIZI_OPERATION_OF_OPCODE
    return table;
}();

}  // namespace zerizi
