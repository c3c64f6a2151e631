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

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

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

// The work of ASSIGN, with the observer told of the value stored.
template <typename Observer>
inline void assign_value(engine &engine, double index_value, double value, Observer &observer) {
    const std::int32_t index = truncate_to_int32(index_value);
    if (!engine.names_symbol(index)) return;
    symbol_entry &entry = engine.symbol(index);
    entry.value = value;
    entry.assigned = true;
    observer.after_assign(index, value);
}

// The loop is written once for both ways of dispatching, as Lua's lvm.c is:
// with GCC and clang (MinGW included) every operation ends by fetching the
// next instruction and jumping through a table of label addresses, one
// indirect jump with no bounds test; other compilers, and builds that define
// ZERIZI_SWITCH_DISPATCH, go round a switch. zerizi_dispatch(o) starts the
// dispatch on operation o, zerizi_case(name) begins the code of op_<name>, and
// zerizi_break ends it.
#if defined(__GNUC__) && !defined(ZERIZI_SWITCH_DISPATCH)
#define ZERIZI_COMPUTED_GOTO 1
#else
#define ZERIZI_COMPUTED_GOTO 0
#endif

// run_bound_code runs the code on symbols whose inputs are bound already
// (engine::restart(values)); run_code binds them first. Both return how many
// zero divisors the run met (each showed the division message).
template <typename Observer = no_observer>
int run_bound_code(engine &engine, double *values, Observer &&observer = Observer{}) {
    using namespace formula;
    constexpr bool observed = !std::is_same_v<std::remove_cvref_t<Observer>, no_observer>;
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
    // a b -> compute(a, b), in place when both are there: b is the top value
    // and a the one below it, the left operand as written in the source.
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
    // x -> compute(x).
    const auto unary = [&](auto compute) { push(compute(pop())); };
    // DIV and MODOPER: a zero divisor (0.0 or -0.0) shows the division
    // message, pops both operands and pushes nothing; the loop goes on.
    int zero_divisors = 0;
    const auto dividing = [&](auto compute) {
        if (slots[top] == 0.0) [[unlikely]] {
            pop();
            pop();
            report_zero_divisor();
            ++zero_divisors;
            return;
        }
        binary(compute);
    };

    // The code stays where it is during the run; holding it in a local keeps
    // every fetch one load.
    const instruction *const code = engine.code_table();
    const instruction *next = code + 1;  // the program counter
    const instruction *current;          // the instruction being run

    // Fetching: the observer sees the instruction first, then the program
    // counter moves past it (a jump overwrites it afterwards).
#define ZERIZI_FETCH                                                                                      \
    do {                                                                                                  \
        current = next;                                                                                   \
        if constexpr (observed) {                                                                         \
            sync();                                                                                       \
            if (!observer.before_instruction(static_cast<std::int32_t>(current - code), *current, stack)) \
                return zero_divisors;                                                                     \
        }                                                                                                 \
        ++next;                                                                                           \
    } while (false)

#if ZERIZI_COMPUTED_GOTO
#define ZERIZI_OPERATION_LABEL(name, number) &&run_##name,
    static const void *const dispatch_table[operation_count] = {
        &&run_nothing, FORMULA_OPCODES(ZERIZI_OPERATION_LABEL) &&run_push_symbol, &&run_push_integer,
    };
#undef ZERIZI_OPERATION_LABEL
#define zerizi_dispatch(o) goto *dispatch_table[o];
#define zerizi_case(name) run_##name:
#define zerizi_break                               \
    ZERIZI_FETCH;                                  \
    zerizi_dispatch(current->operation)
#else
#define zerizi_dispatch(o) switch (o)
#define zerizi_case(name) case op_##name:
#define zerizi_break break
#endif

    for (;;) {
        ZERIZI_FETCH;
        zerizi_dispatch(current->operation) {
            // Operando i: -> value of symbol i. An index that names no symbol
            // pushes 0.0 (see instruction::operand).
            zerizi_case(push_symbol) {
                push(*current->operand);
                zerizi_break;
            }
            // Riferimento n: -> n, the integer as a double (jump addresses and
            // the indices for ASSIGN and LOGISIN).
            zerizi_case(push_integer) {
                push(static_cast<double>(current->value));
                zerizi_break;
            }
            // ASSIGN: v i -> ; stores v into symbol trunc(i) and marks it
            // assigned; an index that names no symbol stores nothing.
            zerizi_case(ASSIGN) {
                const double index = pop();
                const double value = pop();
                assign_value(engine, index, value, observer);
                zerizi_break;
            }
            // PLUS, MINUS, MULT, DIV: double arithmetic. DIV: a b -> a / b,
            // or the division message and no result when b is 0.
            zerizi_case(PLUS) {
                binary([](double a, double b) { return a + b; });
                zerizi_break;
            }
            zerizi_case(MINUS) {
                binary([](double a, double b) { return a - b; });
                zerizi_break;
            }
            zerizi_case(MULT) {
                binary([](double a, double b) { return a * b; });
                zerizi_break;
            }
            zerizi_case(DIV) {
                dividing([](double a, double b) { return a / b; });
                zerizi_break;
            }
            // SIGN: x -> -x, a change of sign (not the signum).
            zerizi_case(SIGN) {
                unary([](double x) { return -x; });
                zerizi_break;
            }
            // PERC: a b -> (a * b) * 0.01, b per cent of a, multiplied in that
            // order (not divided by 100).
            zerizi_case(PERC) {
                binary([](double a, double b) {
                    const double product = a * b;
                    return product * 0.01;
                });
                zerizi_break;
            }
            // MODOPER: a b -> fmod(a, b), exact, with the sign of a; the
            // division message and no result when b is 0.
            zerizi_case(MODOPER) {
                dividing([](double a, double b) { return std::fmod(a, b); });
                zerizi_break;
            }
            // LOGAND, LOGOR: a b -> trunc(a) & trunc(b), trunc(a) | trunc(b).
            // LOGNOT: x -> ~trunc(x). See operators.h.
            zerizi_case(LOGAND) {
                binary([](double a, double b) { return bitwise_and(a, b); });
                zerizi_break;
            }
            zerizi_case(LOGOR) {
                binary([](double a, double b) { return bitwise_or(a, b); });
                zerizi_break;
            }
            zerizi_case(LOGNOT) {
                unary([](double x) { return bitwise_not(x); });
                zerizi_break;
            }
            // LGT, LLT, LGE, LLE, LNE, LEQ: a b -> 1.0 when a > b (a < b,
            // a >= b, a <= b, a != b, a == b), else 0.0.
            zerizi_case(LGT) {
                binary([](double a, double b) { return a > b ? 1.0 : 0.0; });
                zerizi_break;
            }
            zerizi_case(LLT) {
                binary([](double a, double b) { return a < b ? 1.0 : 0.0; });
                zerizi_break;
            }
            zerizi_case(LGE) {
                binary([](double a, double b) { return a >= b ? 1.0 : 0.0; });
                zerizi_break;
            }
            zerizi_case(LLE) {
                binary([](double a, double b) { return a <= b ? 1.0 : 0.0; });
                zerizi_break;
            }
            zerizi_case(LNE) {
                binary([](double a, double b) { return a != b ? 1.0 : 0.0; });
                zerizi_break;
            }
            zerizi_case(LEQ) {
                binary([](double a, double b) { return a == b ? 1.0 : 0.0; });
                zerizi_break;
            }
            // BRF: c t -> ; jumps to t when c equals 0 (0.0 or -0.0), any
            // other c goes on. t is truncated (7.9 is 7); see jump_target.
            zerizi_case(BRF) {
                const double target = pop();
                const double condition = pop();
                if (condition == 0.0) next = code + jump_target(engine, target);
                zerizi_break;
            }
            // BR: t -> ; jumps to t, truncated.
            zerizi_case(BR) {
                next = code + jump_target(engine, pop());
                zerizi_break;
            }
            // INF, ERM: no effect (ERM is always followed by STOP). Numbers
            // that are not opcodes and unknown kinds come here too.
            zerizi_case(INF)
            zerizi_case(ERM)
            zerizi_case(nothing) {
                zerizi_break;
            }
            // LOGISIN: i -> 1.0 when symbol i was assigned by an ASSIGN during
            // this evaluation, else 0.0 (also for an index that names no symbol).
            zerizi_case(LOGISIN) {
                const std::int32_t index = truncate_to_int32(pop());
                push(engine.names_symbol(index) && engine.symbol(index).assigned ? 1.0 : 0.0);
                zerizi_break;
            }
            // ROUND: a n -> a rounded to trunc(n) places, halves away from zero.
            // CEIL, FLOOR: a n -> a rounded up or down at the n-th place, n
            // used unchanged. See decimal_places.h.
            zerizi_case(ROUND) {
                binary([](double a, double n) { return round_places(a, n); });
                zerizi_break;
            }
            zerizi_case(CEIL) {
                binary([](double a, double n) { return ceil_places(a, n); });
                zerizi_break;
            }
            zerizi_case(FLOOR) {
                binary([](double a, double n) { return floor_places(a, n); });
                zerizi_break;
            }
            // STOP: hands the output back and ends the run; values left on the
            // stack are discarded.
            zerizi_case(STOP) {
                sync();
                engine.collect_outputs(values);
                return zero_divisors;
            }
        }
    }
#undef ZERIZI_FETCH
#undef zerizi_dispatch
#undef zerizi_case
#undef zerizi_break
}

template <typename Observer = no_observer>
int run_code(engine &engine, double *values, Observer &&observer = Observer{}) {
    engine.bind_inputs(values);
    return run_bound_code(engine, values, std::forward<Observer>(observer));
}

}  // namespace zerizi
