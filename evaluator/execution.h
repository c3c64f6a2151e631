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
//
// The loop keeps the stack's depth and its slots in locals; the stack object
// is brought up to date before every observer call and when the run ends.
#pragma once

#include <cstdint>
#include <type_traits>

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

// ASSIGN (1): v i -> (nothing). Stores v into symbol i and marks it assigned;
// an index that names no symbol stores nothing.
template <typename Observer>
inline void assign_value(engine &engine, double index_value, double value, Observer &observer) {
    const std::int32_t index = truncate_to_int32(index_value);
    if (!engine.names_symbol(index)) return;
    symbol_entry &entry = engine.symbol(index);
    entry.value = value;
    entry.assigned = true;
    observer.after_assign(index, value);
}

template <typename Observer = no_observer>
void run_code(engine &engine, double *values, Observer &&observer = Observer{}) {
    using namespace formula;
    constexpr bool observed = !std::is_same_v<std::remove_cvref_t<Observer>, no_observer>;
    engine.bind_inputs(values);
    value_stack &stack = engine.stack();
    // Slots 1 .. top hold the values, the top one in slot top; slot 0 holds
    // 0.0, so a pop from an empty stack yields 0.0 and leaves it empty. The
    // depth and the slots are kept in locals (a double kept in a local across
    // the loop's library calls would be spilled to memory anyway).
    double *slots = stack.slots();
    std::size_t last_slot = stack.last_slot();
    std::size_t top = 0;
    // Writes the depth back into the stack object, for observers and at the end.
    const auto sync = [&]() { stack.set_depth(top); };

    // There is always a free slot above the top: a push stores first and
    // grows the stack afterwards when it has taken the last slot, so the value
    // need not be kept across the allocation.
    const auto push = [&](double value) {
        slots[++top] = value;
        if (top == last_slot) [[unlikely]] {
            sync();
            stack.grow();
            slots = stack.slots();
            last_slot = stack.last_slot();
        }
    };
    const auto pop = [&]() {
        const double value = slots[top];
        top -= (top != 0);
        return value;
    };
    // a b -> compute(a, b), in place when both are there.
    const auto binary = [&](auto compute) {
        if (top >= 2) [[likely]] {
            slots[top - 1] = compute(slots[top - 1], slots[top]);
            --top;
        } else {
            const double b = pop();
            const double a = pop();
            push(compute(a, b));
        }
    };
    // DIV and MODOPER: a zero divisor shows the message and pushes nothing.
    const auto dividing = [&](auto compute) {
        if (slots[top] == 0.0) [[unlikely]] {
            pop();
            pop();
            report_zero_divisor();
            return;
        }
        binary(compute);
    };

    // The code stays where it is during the run; holding it in a local keeps
    // every fetch one load.
    const instruction *const code = engine.code_table();
    const instruction *next = code + 1;  // the program counter
    const instruction *current;          // the instruction being run

    // Every operation ends by running the next instruction: the observer sees
    // it first, then the program counter moves past it (a jump overwrites it
    // afterwards) and its operation's code runs. With GCC and clang (MinGW
    // included) that is one indirect jump through a table of label addresses
    // in every operation, with no bounds test and no jump back to a shared
    // switch; other compilers (and builds that define ZERIZI_SWITCH_DISPATCH)
    // go through the switch at `dispatch`.
#if defined(__GNUC__) && !defined(ZERIZI_SWITCH_DISPATCH)
    static const void *const operation_code[operation_count] = {
        &&run_nothing, &&run_assign, &&run_plus,   &&run_minus,   &&run_mult,    &&run_div,
        &&run_sign,    &&run_perc,   &&run_modoper, &&run_logand, &&run_logor,   &&run_lognot,
        &&run_lgt,     &&run_llt,    &&run_lge,    &&run_lle,     &&run_lne,     &&run_leq,
        &&run_brf,     &&run_br,     &&run_nothing, &&run_nothing, &&run_logisin, &&run_round,
        &&run_ceil,    &&run_floor,  &&run_stop,   &&run_push_symbol, &&run_push_integer,
    };
#define ZERIZI_GO_TO_OPERATION goto *operation_code[current->operation]
#else
#define ZERIZI_GO_TO_OPERATION goto dispatch
#endif
#define ZERIZI_RUN_NEXT                                                                                   \
    do {                                                                                                  \
        current = next;                                                                                   \
        if constexpr (observed) {                                                                         \
            sync();                                                                                       \
            if (!observer.before_instruction(static_cast<std::int32_t>(current - code), *current, stack)) \
                return;                                                                                   \
        }                                                                                                 \
        ++next;                                                                                           \
        ZERIZI_GO_TO_OPERATION;                                                                           \
    } while (false)

    ZERIZI_RUN_NEXT;

#if !defined(__GNUC__) || defined(ZERIZI_SWITCH_DISPATCH)
dispatch:
    switch (current->operation) {
        case ASSIGN: goto run_assign;
        case PLUS: goto run_plus;
        case MINUS: goto run_minus;
        case MULT: goto run_mult;
        case DIV: goto run_div;
        case SIGN: goto run_sign;
        case PERC: goto run_perc;
        case MODOPER: goto run_modoper;
        case LOGAND: goto run_logand;
        case LOGOR: goto run_logor;
        case LOGNOT: goto run_lognot;
        case LGT: goto run_lgt;
        case LLT: goto run_llt;
        case LGE: goto run_lge;
        case LLE: goto run_lle;
        case LNE: goto run_lne;
        case LEQ: goto run_leq;
        case BRF: goto run_brf;
        case BR: goto run_br;
        case LOGISIN: goto run_logisin;
        case ROUND: goto run_round;
        case CEIL: goto run_ceil;
        case FLOOR: goto run_floor;
        case stop_run: goto run_stop;
        case push_symbol: goto run_push_symbol;
        case push_integer: goto run_push_integer;
        default: goto run_nothing;
    }
#endif

// Operando: push the value of symbol `value`; 0.0 for an index that names no
// symbol (see instruction::operand).
run_push_symbol:
    push(*current->operand);
    ZERIZI_RUN_NEXT;
// Riferimento: push the integer `value` as a double (jump addresses and the
// indices for ASSIGN and LOGISIN).
run_push_integer:
    push(static_cast<double>(current->value));
    ZERIZI_RUN_NEXT;
// ASSIGN (1): v i -> (nothing); see assign_value.
run_assign: {
    const double index = pop();
    const double value = pop();
    assign_value(engine, index, value, observer);
    ZERIZI_RUN_NEXT;
}
// The computing opcodes (operators.h gives each result): PLUS, MINUS, MULT,
// PERC, LOGAND, LOGOR, the comparisons LGT … LEQ, ROUND, CEIL and FLOOR take a
// and b; SIGN and LOGNOT take x.
run_plus: binary([](double a, double b) { return binary_result(PLUS, a, b); }); ZERIZI_RUN_NEXT;
run_minus: binary([](double a, double b) { return binary_result(MINUS, a, b); }); ZERIZI_RUN_NEXT;
run_mult: binary([](double a, double b) { return binary_result(MULT, a, b); }); ZERIZI_RUN_NEXT;
run_perc: binary([](double a, double b) { return binary_result(PERC, a, b); }); ZERIZI_RUN_NEXT;
run_logand: binary([](double a, double b) { return binary_result(LOGAND, a, b); }); ZERIZI_RUN_NEXT;
run_logor: binary([](double a, double b) { return binary_result(LOGOR, a, b); }); ZERIZI_RUN_NEXT;
run_lgt: binary([](double a, double b) { return binary_result(LGT, a, b); }); ZERIZI_RUN_NEXT;
run_llt: binary([](double a, double b) { return binary_result(LLT, a, b); }); ZERIZI_RUN_NEXT;
run_lge: binary([](double a, double b) { return binary_result(LGE, a, b); }); ZERIZI_RUN_NEXT;
run_lle: binary([](double a, double b) { return binary_result(LLE, a, b); }); ZERIZI_RUN_NEXT;
run_lne: binary([](double a, double b) { return binary_result(LNE, a, b); }); ZERIZI_RUN_NEXT;
run_leq: binary([](double a, double b) { return binary_result(LEQ, a, b); }); ZERIZI_RUN_NEXT;
run_round: binary([](double a, double b) { return binary_result(ROUND, a, b); }); ZERIZI_RUN_NEXT;
run_ceil: binary([](double a, double b) { return binary_result(CEIL, a, b); }); ZERIZI_RUN_NEXT;
run_floor: binary([](double a, double b) { return binary_result(FLOOR, a, b); }); ZERIZI_RUN_NEXT;
run_sign: push(unary_result(SIGN, pop())); ZERIZI_RUN_NEXT;
run_lognot: push(unary_result(LOGNOT, pop())); ZERIZI_RUN_NEXT;
// DIV (5), MODOPER (8): as above, but a zero divisor (0.0 or -0.0) shows the
// division message and leaves no result.
run_div: dividing([](double a, double b) { return binary_result(DIV, a, b); }); ZERIZI_RUN_NEXT;
run_modoper: dividing([](double a, double b) { return binary_result(MODOPER, a, b); }); ZERIZI_RUN_NEXT;
// BRF (18): c t -> (nothing). Jumps to t when c equals 0 (0.0 or -0.0); any
// other c goes on. t is truncated (7.9 is 7).
run_brf: {
    const double target = pop();
    const double condition = pop();
    if (condition == 0.0) next = code + jump_target(engine, target);
    ZERIZI_RUN_NEXT;
}
// BR (19): t -> (nothing). Jumps to t, truncated.
run_br:
    next = code + jump_target(engine, pop());
    ZERIZI_RUN_NEXT;
// LOGISIN (22): i -> flag. Replaces the index on top with 1.0 when symbol i
// was assigned by an ASSIGN during this evaluation, else 0.0 (also for an
// index that names no symbol).
run_logisin: {
    const std::int32_t index = truncate_to_int32(pop());
    push(engine.names_symbol(index) && engine.symbol(index).assigned ? 1.0 : 0.0);
    ZERIZI_RUN_NEXT;
}
// INF (20), ERM (21), numbers that are not opcodes and unknown kinds: nothing.
run_nothing:
    ZERIZI_RUN_NEXT;
// STOP (99): hands the output back and ends the run.
run_stop:
    sync();
    engine.collect_outputs(values);
#undef ZERIZI_RUN_NEXT
#undef ZERIZI_GO_TO_OPERATION
}

}  // namespace zerizi
