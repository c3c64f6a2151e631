// run_bound_code: the stack machine. It binds the inputs, then runs the
// instructions from address 1, one by one, until STOP hands the output back.
//
// The loop runs a machine: the engine, whose code table was decoded at load,
// or Formula's text_machine, which decodes each instruction of the code text
// as it fetches it. A machine provides
//   bool start(const double *values);    called as the run starts: every run
//                                        starts from nothing, with the inputs
//                                        of `values` bound (engine::restart;
//                                        the text machine reads the texts)
//   value_stack &stack();
//   position first();                    instruction 1
//   position after(position);            the instruction that follows
//   position before(position);           the instruction before
//   std::size_t instructions_between(position from, position to);
//                                        how many instructions from `from`
//                                        up to `to`, `to` excluded
//   operation_code operation(position);  what the loop does for it
//   operation_code operator_operation(position);  for op_by_value, what the
//                                        loop does for that Operatore
//   double operand(position);            for op_push_symbol, the value pushed
//   std::int32_t integer(position);      for op_push_integer, the integer
//   position jump(double target);        instruction trunc(target), or past
//                                        the last one, where the run stops
//   bool assignment_follows(position);  whether ASSIGN stands there
//   bool names_fused_symbol(std::int32_t);  whether the index of a fused
//                                        assignment names a symbol
//   bool names_symbol(std::int32_t), void assign(std::int32_t, double),
//   bool assigned(std::int32_t), void collect_outputs(double *).
//
// What each operation is (the values it pops and pushes, whether it divides,
// jumps, assigns or stops) stands in operation_modes.h; the loop reads it
// there, and what an operation computes in operators.h.
//
// The loop accepts an observer (with the engine only), for tools that trace
// or watch a run. An observer provides
//   bool before_instruction(std::int32_t address, const instruction &, const value_stack &);
//       called before each instruction; returning false ends the run at once,
//       without handing anything back;
//   void after_assign(std::int32_t index, double value);
//       called when ASSIGN has stored a value into symbol `index`;
//   void zero_divisor(std::int32_t address);
//       called when the DIV or MODOPER at `address` met a zero divisor, its
//       operands popped (the stack is as the instruction leaves it), before
//       the division message is shown.
// The default observer does nothing and compiles away.
//
// The loop also accepts a budget (run_budget.h), which bounds a run that may
// never end: the instructions are charged at every BR and BRF, as many as the
// run went through since the last charge, and every budget.instructions
// instructions the loop asks budget.go_on whether to go on; when it says no,
// the run ends at once, hands nothing back and returns stopped_by_budget.
// Code without jumps never pays. The default, no_budget, compiles away.
//
// The loop keeps the stack's depth and its slots in locals; the stack object
// is brought up to date before every observer call and when the run ends.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "evaluator/dispatch.h"
#include "evaluator/engine.h"
#include "evaluator/operation_modes.h"
#include "evaluator/operators.h"
#include "evaluator/run_budget.h"
#include "evaluator/text_machine.h"
#include "evaluator/truncation.h"
#include "formula/format.h"

namespace zerizi {

struct no_observer {
    constexpr bool before_instruction(std::int32_t, const instruction &, const value_stack &) noexcept { return true; }
    constexpr void after_assign(std::int32_t, double) noexcept {}
    constexpr void zero_divisor(std::int32_t) noexcept {}
};

// The loop is written once for both ways of dispatching (dispatch.h).
// zerizi_dispatch(o) starts the dispatch on operation o, zerizi_case(name)
// begins the code of op_<name>, zerizi_break ends it, and
// zerizi_redispatch(o) goes on to the code of operation o for the same
// instruction. The stack helpers are ZERIZI_STEP, so that the depth and the
// slots they share stay in registers.

// run_bound_code runs the code of a machine, which binds the inputs as the
// run starts; it returns how many zero divisors the run met (each showed the
// division message). The source is the engine, run where it is, or a
// text_source, from which the loop builds a text_machine in its own frame.
// Either way an evaluation has no second frame or call to pay for. A
// machine's start returns false when it cannot hold the texts; the loop then
// runs nothing and returns not_started.
inline constexpr int not_started = -1;

template <typename Source>
struct machine_for {
    using type = Source &;
};
template <>
struct machine_for<text_source> {
    using type = text_machine;
};

template <typename Source, typename Observer = no_observer, typename Budget = no_budget>
int run_bound_code(Source &&source, double *values, Observer &&observer = Observer{},
                   [[maybe_unused]] const Budget &budget = Budget{}) {
    typename machine_for<std::remove_cvref_t<Source>>::type machine(source);
    using Machine = std::remove_cvref_t<decltype(machine)>;
    constexpr bool observed = !std::is_same_v<std::remove_cvref_t<Observer>, no_observer>;
    static_assert(!observed || std::is_same_v<Machine, engine>, "observers watch the engine");
    constexpr bool budgeted = !std::is_same_v<Budget, no_budget>;
    static_assert(!budgeted || std::is_same_v<Budget, run_budget>, "a budget is a run_budget");
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

    // Without a jump the run goes through increasing addresses, so between
    // two jumps it adds at most most_values_pushed values per instruction.
    // The stack holds that many above the top when the run starts (the
    // machine reserves them) and after every jump (make_room), so a push
    // needs no test of its own.
    const auto longest_stretch = static_cast<std::size_t>(machine.instruction_count()) * most_values_pushed;
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

    // The program counter. Fetching reads the operation of the instruction
    // it names and moves it on, so that during an operation it names the
    // next instruction (a jump overwrites it) and ZERIZI_CURRENT the one
    // being run. The observer sees each instruction before it is run.
    typename Machine::position next = machine.first();
    operation_code operation;
#define ZERIZI_CURRENT machine.before(next)

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
    // An operation that divides: a zero divisor (0.0 or -0.0) shows the
    // division message, pops both operands and pushes nothing; the loop goes on.
    int zero_divisors = 0;
    const auto dividing = [&](auto compute) ZERIZI_STEP {
        if (slots[top] == 0.0) [[unlikely]] {
            pop();
            pop();
            if constexpr (observed) {
                sync();
                observer.zero_divisor(machine.address(ZERIZI_CURRENT));
            }
            report_zero_divisor();
            ++zero_divisors;
            return;
        }
        binary(compute);
    };
    // An operation that computes a value from the values it pops, as its
    // mode says: one or two, and whether it divides.
    const auto compute = [&]<operation_code O>(operation_result<O> result) ZERIZI_STEP {
        constexpr operation_mode mode = mode_of(O);
        static_assert(mode.pushes == 1 && !mode.jumps && mode.index == index_use::none && !mode.stops);
        static_assert(mode.pops == 2 || (mode.pops == 1 && !mode.divides));
        if constexpr (mode.divides) {
            dividing(result);
        } else if constexpr (mode.pops == 2) {
            binary(result);
        } else {
            unary(result);
        }
    };
    // ASSIGN's work: stores value into symbol index and marks it assigned;
    // an index that names no symbol stores nothing.
    const auto assign = [&](bool names_symbol, std::int32_t index, double value) ZERIZI_STEP {
        if (!names_symbol) return;
        machine.assign(index, value);
        observer.after_assign(index, value);
    };
    // "Riferimento i, ASSIGN" as one step: v -> ; stores v into symbol i,
    // then passes over the ASSIGN (which a jump may still reach on its own).
    const auto assign_fused = [&](std::int32_t index) ZERIZI_STEP {
        assign(machine.names_fused_symbol(index), index, pop());
        next = machine.after(next);
    };

    // The budget: what is left of the current period, and where the stretch
    // of instructions not charged yet begins.
    [[maybe_unused]] std::uint64_t period_left = 0;
    if constexpr (budgeted) period_left = budget.instructions;
    [[maybe_unused]] typename Machine::position stretch_start = next;
    // At a jump, once it has moved the run (or gone on): charges the stretch
    // that ended at the jump, `end` being the instruction after it, and asks
    // go_on at the end of a period; false when the run must stop. The next
    // stretch begins where the run goes on.
    const auto charge = [&]([[maybe_unused]] typename Machine::position end) ZERIZI_STEP {
        if constexpr (budgeted) {
            const std::uint64_t run = machine.instructions_between(stretch_start, end);
            stretch_start = next;
            if (run < period_left) {
                period_left -= run;
                return true;
            }
            if (!budget.go_on(budget.context)) return false;
            period_left = budget.instructions;
        }
        return true;
    };
    // A run the budget stops hands nothing back.
    const auto stop_by_budget = [&]() {
        sync();
        return stopped_by_budget;
    };

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
            // the fused assignment (below).
            zerizi_case(push_integer) {
                const std::int32_t integer = machine.integer(ZERIZI_CURRENT);
                if (machine.assignment_follows(next)) {
                    assign_fused(integer);
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
                assign(machine.names_symbol(index), index, value);
                zerizi_break;
            }
            // An Operatore whose value the machine decodes only now: runs the
            // operation the value names.
            zerizi_case(by_value) {
                zerizi_redispatch(machine.operator_operation(ZERIZI_CURRENT));
            }
            // Riferimento i then ASSIGN, as engine::fuse_assignments fuses
            // them in a prepared formula: v -> ; stores v into symbol i and
            // marks it assigned, then passes over the ASSIGN.
            zerizi_case(assign_to) {
                assign_fused(machine.integer(ZERIZI_CURRENT));
                zerizi_break;
            }
            // PLUS, MINUS, MULT, DIV: double arithmetic. DIV: a b -> a / b,
            // or the division message and no result when b is 0.
            zerizi_case(PLUS) {
                compute(operation_result<op_PLUS>{});
                zerizi_break;
            }
            zerizi_case(MINUS) {
                compute(operation_result<op_MINUS>{});
                zerizi_break;
            }
            zerizi_case(MULT) {
                compute(operation_result<op_MULT>{});
                zerizi_break;
            }
            zerizi_case(DIV) {
                compute(operation_result<op_DIV>{});
                zerizi_break;
            }
            // SIGN: x -> -x, a change of sign (not the signum).
            zerizi_case(SIGN) {
                compute(operation_result<op_SIGN>{});
                zerizi_break;
            }
            // PERC: a b -> (a * b) * 0.01, b per cent of a, multiplied in that
            // order (not divided by 100).
            zerizi_case(PERC) {
                compute(operation_result<op_PERC>{});
                zerizi_break;
            }
            // MODOPER: a b -> fmod(a, b), exact, with the sign of a; the
            // division message and no result when b is 0.
            zerizi_case(MODOPER) {
                compute(operation_result<op_MODOPER>{});
                zerizi_break;
            }
            // LOGAND, LOGOR: a b -> trunc(a) & trunc(b), trunc(a) | trunc(b).
            // LOGNOT: x -> ~trunc(x). See operators.h.
            zerizi_case(LOGAND) {
                compute(operation_result<op_LOGAND>{});
                zerizi_break;
            }
            zerizi_case(LOGOR) {
                compute(operation_result<op_LOGOR>{});
                zerizi_break;
            }
            zerizi_case(LOGNOT) {
                compute(operation_result<op_LOGNOT>{});
                zerizi_break;
            }
            // LGT, LLT, LGE, LLE, LNE, LEQ: a b -> 1.0 when a > b (a < b,
            // a >= b, a <= b, a != b, a == b), else 0.0.
            zerizi_case(LGT) {
                compute(operation_result<op_LGT>{});
                zerizi_break;
            }
            zerizi_case(LLT) {
                compute(operation_result<op_LLT>{});
                zerizi_break;
            }
            zerizi_case(LGE) {
                compute(operation_result<op_LGE>{});
                zerizi_break;
            }
            zerizi_case(LLE) {
                compute(operation_result<op_LLE>{});
                zerizi_break;
            }
            zerizi_case(LNE) {
                compute(operation_result<op_LNE>{});
                zerizi_break;
            }
            zerizi_case(LEQ) {
                compute(operation_result<op_LEQ>{});
                zerizi_break;
            }
            // BRF: c t -> ; jumps to t when c equals 0 (0.0 or -0.0), any
            // other c goes on. t is truncated (7.9 is 7); a t that names no
            // instruction ends the run as STOP does.
            zerizi_case(BRF) {
                const typename Machine::position end = next;
                const double target = pop();
                const double condition = pop();
                if (condition == 0.0) {
                    next = machine.jump(target);
                    make_room();
                }
                if (!charge(end)) return stop_by_budget();
                zerizi_break;
            }
            // BR: t -> ; jumps to t, truncated.
            zerizi_case(BR) {
                const typename Machine::position end = next;
                next = machine.jump(pop());
                make_room();
                if (!charge(end)) return stop_by_budget();
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
                compute(operation_result<op_ROUND>{});
                zerizi_break;
            }
            zerizi_case(CEIL) {
                compute(operation_result<op_CEIL>{});
                zerizi_break;
            }
            zerizi_case(FLOOR) {
                compute(operation_result<op_FLOOR>{});
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

}  // namespace zerizi
