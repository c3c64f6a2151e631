// run_code: the stack machine. It binds the inputs, then runs the
// instructions from address 1, one by one, until STOP hands the output back.
//
// The loop accepts an observer, for tools that trace or bound a run. An
// observer provides
//   bool before_instruction(std::int32_t address, const instruction &, const value_stack &);
//       called before each instruction; returning false ends the run at once,
//       without handing anything back;
//   void after_assign(std::int32_t index, double value);
//       called when ASSIGN has stored a value into symbol `index`.
// The default observer does nothing and compiles away.
#pragma once

#include <cstdint>

#include "evaluator/engine.h"
#include "evaluator/operators.h"
#include "evaluator/truncation.h"
#include "formula/format.h"

namespace zerizi {

struct no_observer {
    constexpr bool before_instruction(std::int32_t, const instruction &, const value_stack &) noexcept {
        return true;
    }
    constexpr void after_assign(std::int32_t, double) noexcept {}
};

// The address a jump goes to: t itself when it names an instruction, else the
// STOP after the last instruction, so a jump out of the code ends the run as
// STOP does.
inline std::int32_t jump_target(const engine &engine, double target) noexcept {
    const std::int32_t address = truncate_to_int32(target);
    return engine.names_instruction(address) ? address : engine.instruction_count() + 1;
}

// ASSIGN (1): v i -> (nothing). Pops the index i, then the value v; stores v
// into symbol i and marks it assigned. An index that names no symbol stores
// nothing.
template <typename Observer>
inline void assign_value(engine &engine, Observer &observer) {
    value_stack &stack = engine.stack();
    const std::int32_t index = truncate_to_int32(stack.pop());
    const double value = stack.pop();
    if (!engine.names_symbol(index)) return;
    symbol_entry &entry = engine.symbol(index);
    entry.value = value;
    entry.assigned = true;
    observer.after_assign(index, value);
}

template <typename Observer = no_observer>
void run_code(engine &engine, double *values, Observer &&observer = Observer{}) {
    using namespace formula;
    engine.bind_inputs(values);
    value_stack &stack = engine.stack();
    stack.clear();
    std::int32_t program_counter = 1;
    for (;;) {
        const instruction &current = engine.code(program_counter);
        if (!observer.before_instruction(program_counter, current, stack)) return;
        ++program_counter;  // a jump below overwrites it
        switch (current.kind) {
            // Operando: push the value of symbol `value`; 0.0 for an index
            // that names no symbol.
            case Operando:
                stack.push(engine.names_symbol(current.value) ? engine.symbol(current.value).value : 0.0);
                break;
            // Riferimento: push the integer `value` as a double (jump
            // addresses and the indices for ASSIGN and LOGISIN).
            case Riferimento:
                stack.push(static_cast<double>(current.value));
                break;
            case Operatore:
                switch (current.value) {
                    case ASSIGN:
                        assign_value(engine, observer);
                        break;
                    // The computing opcodes: operators.h documents each.
                    case PLUS: case MINUS: case MULT: case DIV: case PERC: case MODOPER:
                    case LOGAND: case LOGOR: case LGT: case LLT: case LGE: case LLE:
                    case LNE: case LEQ: case ROUND: case CEIL: case FLOOR:
                        apply_operator(stack, current.value, 2);
                        break;
                    case SIGN: case LOGNOT:
                        apply_operator(stack, current.value, 1);
                        break;
                    // BRF (18): c t -> (nothing). Jumps to t when c equals 0
                    // (0.0 or -0.0); any other c goes on. t is truncated (7.9 is 7).
                    case BRF: {
                        const double target = stack.pop();
                        const double condition = stack.pop();
                        if (condition == 0.0) program_counter = jump_target(engine, target);
                        break;
                    }
                    // BR (19): t -> (nothing). Jumps to t, truncated.
                    case BR:
                        program_counter = jump_target(engine, stack.pop());
                        break;
                    // LOGISIN (22): i -> flag. Replaces the index on top with
                    // 1.0 when symbol i was assigned by an ASSIGN during this
                    // evaluation, else 0.0 (also for an index that names no symbol).
                    case LOGISIN: {
                        const std::int32_t index = truncate_to_int32(stack.pop());
                        stack.push(engine.names_symbol(index) && engine.symbol(index).assigned ? 1.0 : 0.0);
                        break;
                    }
                    // STOP (99): hands the output back and ends the run.
                    case STOP:
                        engine.collect_outputs(values);
                        return;
                    // INF (20), ERM (21) and numbers that are not opcodes: nothing.
                    default:
                        break;
                }
                break;
            // Any other kind: nothing.
            default:
                break;
        }
    }
}

}  // namespace zerizi
