// run_code: the stack machine. It binds the inputs, then runs the
// instructions from address 1, one by one, until STOP hands the output back.
//
// The loop runs a machine: the engine, whose code table was decoded at load,
// or Formula's text_machine, which decodes each instruction of the code text
// as it fetches it. A machine provides
//   value_stack &stack();
//   position first();                    instruction 1
//   position after(position);            the instruction that follows
//   position before(position);           the instruction before
//   operation_code operation(position);  what the loop does for it
//   operation_code operator_operation(position);  for op_by_value, what the
//                                        loop does for that Operatore
//   double operand(position);            for op_push_symbol, the value pushed
//   std::int32_t integer(position);      for op_push_integer, the integer
//   position jump(double target);        instruction trunc(target), or past
//                                        the last one, where the run stops
//   bool assignment_follows(position);  whether ASSIGN stands there
//   bool names_symbol(std::int32_t), void assign(std::int32_t, double),
//   bool assigned(std::int32_t), void collect_outputs(double *).
//
// The loop accepts an observer (with the engine only), for tools that trace
// or bound a run. An observer provides
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
#include <utility>

#include "evaluator/dispatch.h"
#include "evaluator/engine.h"
#include "evaluator/text_machine.h"
#include "evaluator/operators.h"
#include "evaluator/truncation.h"
#include "formula/format.h"

namespace zerizi {

struct no_observer {
    constexpr bool before_instruction(std::int32_t, const instruction &, const value_stack &) noexcept { return true; }
    constexpr void after_assign(std::int32_t, double) noexcept {}
};

// The work of ASSIGN, with the observer told of the value stored.
template <typename Machine, typename Observer>
inline void assign_value(Machine &machine, std::int32_t index, double value, Observer &observer) {
    if (!machine.names_symbol(index)) return;
    machine.assign(index, value);
    observer.after_assign(index, value);
}

// The loop is written once for both ways of dispatching (dispatch.h).
// zerizi_dispatch(o) starts the dispatch on operation o, zerizi_case(name)
// begins the code of op_<name>, zerizi_break ends it, and
// zerizi_redispatch(o) goes on to the code of operation o for the same
// instruction. The stack helpers are ZERIZI_STEP, so that the depth and the
// slots they share stay in registers.

// run_bound_code runs the code of a machine whose inputs are bound already
// (engine::restart(values)) or are bound as it starts (text_machine); run_code
// binds the engine's first. Both return how many zero divisors the run met
// (each showed the division message). The source is the engine, run where it
// is; a restarting_engine, which the loop restarts with the inputs as it
// starts (a prepared formula's evaluation); or a text_source, from which the
// loop builds a text_machine in its own frame. Either way an evaluation has no
// second frame or call to pay for. A machine's start returns false when it
// cannot hold the texts; the loop then runs nothing and returns not_started.
inline constexpr int not_started = -1;

template <typename Source>
struct machine_for {
    using type = Source &;
};
template <>
struct machine_for<text_source> {
    using type = text_machine;
};
template <>
struct machine_for<restarting_engine> {
    using type = engine &;
};

template <typename Source, typename Observer = no_observer>
int run_bound_code(Source &&source, double *values, Observer &&observer = Observer{}) {
    typename machine_for<std::remove_cvref_t<Source>>::type machine(source);
    using Machine = std::remove_cvref_t<decltype(machine)>;
    constexpr bool observed = !std::is_same_v<std::remove_cvref_t<Observer>, no_observer>;
    static_assert(!observed || std::is_same_v<Machine, engine>, "observers watch the engine");
    if constexpr (std::is_same_v<std::remove_cvref_t<Source>, restarting_engine>) machine.restart(values);
    if (!machine.start(values)) return not_started;
    value_stack &stack = machine.stack();
    // Slots 1 .. top hold the values, the top one in slot top; slot 0 holds
    // 0.0, so a pop from an empty stack yields 0.0 and leaves it empty. The
    // depth and the slots are kept in locals (a double kept in a local across
    // the loop's library calls would be spilled to memory anyway).
    double *slots = stack.slots();
    std::size_t top = 0;
    // Writes the depth back into the stack object, for observers and at the end.
    const auto sync = [&]() ZERIZI_STEP { stack.set_depth(top); };

    // No instruction adds more than one value, and without a jump the run
    // goes through increasing addresses, so between two jumps it adds at most
    // as many values as there are instructions. The stack holds that many
    // above the top when the run starts (the loader reserves them) and after
    // every jump (make_room), so a push needs no test of its own.
    const auto longest_stretch = static_cast<std::size_t>(machine.instruction_count());
    const auto make_room = [&]() ZERIZI_STEP {
        if (top + longest_stretch > stack.last_slot()) [[unlikely]] {
            sync();
            stack.grow();
            slots = stack.slots();
        }
    };
    const auto push = [&](double value) ZERIZI_STEP { slots[++top] = value; };
    const auto pop = [&]() ZERIZI_STEP {
        const double value = slots[top];
        top -= (top != 0);
        return value;
    };
    // a b -> compute(a, b), in place when both are there: b is the top value
    // and a the one below it, the left operand as written in the source.
    const auto binary = [&](auto compute) ZERIZI_STEP {
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
    const auto unary = [&](auto compute) ZERIZI_STEP { push(compute(pop())); };
    // DIV and MODOPER: a zero divisor (0.0 or -0.0) shows the division
    // message, pops both operands and pushes nothing; the loop goes on.
    int zero_divisors = 0;
    const auto dividing = [&](auto compute) ZERIZI_STEP {
        if (slots[top] == 0.0) [[unlikely]] {
            pop();
            pop();
            report_zero_divisor();
            ++zero_divisors;
            return;
        }
        binary(compute);
    };

    // The program counter. Fetching reads the operation of the instruction
    // it names and moves it on, so that during an operation it names the
    // next instruction (a jump overwrites it) and ZERIZI_CURRENT the one
    // being run. The observer sees each instruction before it is run.
    typename Machine::position next = machine.first();
    operation_code operation;
#define ZERIZI_CURRENT machine.before(next)
#define ZERIZI_FETCH                                                                                     \
    do {                                                                                                 \
        if constexpr (observed) {                                                                        \
            sync();                                                                                      \
            if (!observer.before_instruction(machine.address(next), *next, stack)) return zero_divisors; \
        }                                                                                                \
        operation = machine.operation(next);                                                             \
        next = machine.after(next);                                                                      \
    } while (false)

#if ZERIZI_COMPUTED_GOTO
#define ZERIZI_OPERATION_LABEL(name, number) &&run_##name,
    static const void *const dispatch_table[operation_count] = {
        &&run_nothing, FORMULA_OPCODES(ZERIZI_OPERATION_LABEL) &&run_push_symbol, &&run_push_integer, &&run_assign_to,
        &&run_by_value,
    };
#undef ZERIZI_OPERATION_LABEL
#define zerizi_dispatch(o) goto *dispatch_table[o];
#define zerizi_redispatch(o) zerizi_dispatch(o)
#define zerizi_case(name) run_##name:
#define zerizi_break \
    ZERIZI_FETCH;    \
    zerizi_dispatch(operation)
#else
#define zerizi_dispatch(o) switch (o)
#define zerizi_redispatch(o) \
    do {                     \
        operation = (o);     \
        goto redispatch;     \
    } while (false)
#define zerizi_case(name) case op_##name:
#define zerizi_break break
#endif

    for (;;) {
        ZERIZI_FETCH;
#if !ZERIZI_COMPUTED_GOTO
    redispatch:
#endif
        zerizi_dispatch(operation) {
            // Operando i: -> value of symbol i. An index that names no symbol
            // pushes 0.0 (see instruction::operand).
            zerizi_case(push_symbol) {
                push(machine.operand(ZERIZI_CURRENT));
                zerizi_break;
            }
            // Riferimento n: -> n, the integer as a double (jump addresses and
            // the indices for ASSIGN and LOGISIN). When an ASSIGN follows, a
            // machine that decodes the code as it runs does both as one step,
            // as engine::fuse_assignments has them done in a prepared formula:
            // v -> ; then passes over the ASSIGN, which a jump may still reach.
            zerizi_case(push_integer) {
                const std::int32_t integer = machine.integer(ZERIZI_CURRENT);
                if (machine.assignment_follows(next)) {
                    assign_value(machine, integer, pop(), observer);
                    next = machine.after(next);
                    zerizi_break;
                }
                push(static_cast<double>(integer));
                zerizi_break;
            }
            // ASSIGN: v i -> ; stores v into symbol trunc(i) and marks it
            // assigned; an index that names no symbol stores nothing.
            zerizi_case(ASSIGN) {
                const std::int32_t index = truncate_to_int32(pop());
                const double value = pop();
                assign_value(machine, index, value, observer);
                zerizi_break;
            }
            // An Operatore whose value the machine decodes only now: runs the
            // operation the value names.
            zerizi_case(by_value) {
                zerizi_redispatch(machine.operator_operation(ZERIZI_CURRENT));
            }
            // Riferimento i then ASSIGN, as engine::fuse_assignments fuses
            // them in a prepared formula (i names a symbol): v -> ; stores v
            // into symbol i and marks it assigned, then passes over the
            // ASSIGN, which a jump may still reach on its own.
            zerizi_case(assign_to) {
                const std::int32_t index = machine.integer(ZERIZI_CURRENT);
                const double value = pop();
                machine.assign(index, value);
                observer.after_assign(index, value);
                next = machine.after(next);
                zerizi_break;
            }
            // PLUS, MINUS, MULT, DIV: double arithmetic. DIV: a b -> a / b,
            // or the division message and no result when b is 0.
            zerizi_case(PLUS) {
                binary(operation_result<op_PLUS>{});
                zerizi_break;
            }
            zerizi_case(MINUS) {
                binary(operation_result<op_MINUS>{});
                zerizi_break;
            }
            zerizi_case(MULT) {
                binary(operation_result<op_MULT>{});
                zerizi_break;
            }
            zerizi_case(DIV) {
                dividing(operation_result<op_DIV>{});
                zerizi_break;
            }
            // SIGN: x -> -x, a change of sign (not the signum).
            zerizi_case(SIGN) {
                unary(operation_result<op_SIGN>{});
                zerizi_break;
            }
            // PERC: a b -> (a * b) * 0.01, b per cent of a, multiplied in that
            // order (not divided by 100).
            zerizi_case(PERC) {
                binary(operation_result<op_PERC>{});
                zerizi_break;
            }
            // MODOPER: a b -> fmod(a, b), exact, with the sign of a; the
            // division message and no result when b is 0.
            zerizi_case(MODOPER) {
                dividing(operation_result<op_MODOPER>{});
                zerizi_break;
            }
            // LOGAND, LOGOR: a b -> trunc(a) & trunc(b), trunc(a) | trunc(b).
            // LOGNOT: x -> ~trunc(x). See operators.h.
            zerizi_case(LOGAND) {
                binary(operation_result<op_LOGAND>{});
                zerizi_break;
            }
            zerizi_case(LOGOR) {
                binary(operation_result<op_LOGOR>{});
                zerizi_break;
            }
            zerizi_case(LOGNOT) {
                unary(operation_result<op_LOGNOT>{});
                zerizi_break;
            }
            // LGT, LLT, LGE, LLE, LNE, LEQ: a b -> 1.0 when a > b (a < b,
            // a >= b, a <= b, a != b, a == b), else 0.0.
            zerizi_case(LGT) {
                binary(operation_result<op_LGT>{});
                zerizi_break;
            }
            zerizi_case(LLT) {
                binary(operation_result<op_LLT>{});
                zerizi_break;
            }
            zerizi_case(LGE) {
                binary(operation_result<op_LGE>{});
                zerizi_break;
            }
            zerizi_case(LLE) {
                binary(operation_result<op_LLE>{});
                zerizi_break;
            }
            zerizi_case(LNE) {
                binary(operation_result<op_LNE>{});
                zerizi_break;
            }
            zerizi_case(LEQ) {
                binary(operation_result<op_LEQ>{});
                zerizi_break;
            }
            // BRF: c t -> ; jumps to t when c equals 0 (0.0 or -0.0), any
            // other c goes on. t is truncated (7.9 is 7); a t that names no
            // instruction ends the run as STOP does.
            zerizi_case(BRF) {
                const double target = pop();
                const double condition = pop();
                if (condition == 0.0) {
                    next = machine.jump(target);
                    make_room();
                }
                zerizi_break;
            }
            // BR: t -> ; jumps to t, truncated.
            zerizi_case(BR) {
                next = machine.jump(pop());
                make_room();
                zerizi_break;
            }
            // INF, ERM: no effect (ERM is always followed by STOP). Numbers
            // that are not opcodes and unknown kinds come here too.
            zerizi_case(INF) zerizi_case(ERM) zerizi_case(nothing) {
                zerizi_break;
            }
            // LOGISIN: i -> 1.0 when symbol i was assigned by an ASSIGN during
            // this evaluation, else 0.0 (also for an index that names no symbol).
            zerizi_case(LOGISIN) {
                const std::int32_t index = truncate_to_int32(pop());
                push(machine.names_symbol(index) && machine.assigned(index) ? 1.0 : 0.0);
                zerizi_break;
            }
            // ROUND: a n -> a rounded to trunc(n) places, halves away from zero.
            // CEIL, FLOOR: a n -> a rounded up or down at the n-th place, n
            // used unchanged. See decimal_places.h.
            zerizi_case(ROUND) {
                binary(operation_result<op_ROUND>{});
                zerizi_break;
            }
            zerizi_case(CEIL) {
                binary(operation_result<op_CEIL>{});
                zerizi_break;
            }
            zerizi_case(FLOOR) {
                binary(operation_result<op_FLOOR>{});
                zerizi_break;
            }
            // STOP: hands the output back and ends the run; values left on the
            // stack are discarded.
            zerizi_case(STOP) {
                sync();
                machine.collect_outputs(values);
                return zero_divisors;
            }
        }
    }
#undef ZERIZI_FETCH
#undef ZERIZI_CURRENT
#undef zerizi_dispatch
#undef zerizi_redispatch
#undef zerizi_case
#undef zerizi_break
}

template <typename Observer = no_observer>
int run_code(engine &engine, double *values, Observer &&observer = Observer{}) {
    engine.bind_inputs(values);
    return run_bound_code(engine, values, std::forward<Observer>(observer));
}

}  // namespace zerizi
