// A prepared formula's code on registers. Wherever the stack's depth at each
// instruction is the same on every path that reaches it (the code formcomp
// writes for if, while, goto and label always is), and every jump target and
// every index of ASSIGN and LOGISIN is known before the run, the code is
// translated once, at prepare time, into steps on registers: each value the
// stack would hold gets a register, an ASSIGN only changes which register
// stands for its symbol, and where paths join with different registers for a
// value, each path moves its own into one register of the join. An
// evaluation binds the inputs and runs the steps (one per operation, or per
// chain of two or three of + - * /: the pair and twin steps below); nothing
// needs restarting, since every register a run reads was written by that run
// or holds what every run starts with.
//
// Registers: 0 holds 0.0 (what an empty stack pops, every index that names
// no symbol, a flag not set); 1 to n the n input variables, in binding order;
// then the values every run starts with (the other symbols' values, the
// integers the code pushes, the 1.0 of an assigned flag), then the results
// of the steps and the registers of the joins.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "evaluator/dispatch.h"
#include "evaluator/engine.h"
#include "evaluator/operation_code.h"
#include "evaluator/operation_modes.h"
#include "evaluator/operators.h"
#include "evaluator/run_budget.h"
#include "formula/format.h"

namespace zerizi {

// Whether an operation computes a value from the values it pops, and so
// becomes a step of its own (the pushes, ASSIGN, LOGISIN and the jumps
// become the translation's bookkeeping instead).
constexpr bool computes(const operation_mode &mode) noexcept {
    return mode.pushes == 1 && mode.pops >= 1 && mode.index == index_use::none && !mode.jumps && !mode.stops;
}

// What a step does, by number: for each operation code o that computes,
// o itself (registers[result] = o(registers[left], registers[right]); one
// operand, left, when o pops one), branch_unless(o) (the same value not
// stored, the run going on at step `result` when it is 0.0: a comparison and
// the BRF after it) and compute_and_stop(o) (the value handed to element 0,
// the run ending: the output's last assignment and STOP); then the moves, the
// jumps and STOP.
using step_kind = std::uint8_t;
constexpr step_kind branch_unless(operation_code o) noexcept { return static_cast<step_kind>(operation_count + o); }
constexpr step_kind compute_and_stop(operation_code o) noexcept {
    return static_cast<step_kind>(2 * operation_count + o);
}
inline constexpr step_kind step_move = 3 * operation_count;  // registers[result] = registers[left]
inline constexpr step_kind step_jump = step_move + 1;        // on at step `result`
inline constexpr step_kind step_jump_if_zero = step_move + 2;  // on at step `result` when registers[left] is 0.0
inline constexpr step_kind step_stop = step_move + 3;  // element 0 = registers[left] when right is 1; the run ends
// The first step of code with inputs: registers 1 to n = elements 1 to n,
// for n = 1 to 4 and, with n in left, for more.
inline constexpr step_kind step_bind_inputs = step_move + 4;
inline constexpr std::uint32_t inputs_bound_unrolled = 4;

// Pair steps: two arithmetic operations in one step, where the first one's
// value is read only by the second (registers[result] =
// outer(inner(registers[left], registers[right]), registers[third]), or
// outer(registers[third], inner(...)) with the inner value on the right).
// Twin steps: three, where the third operation alone reads the values of the
// two before it (registers[result] = outer(first(registers[left],
// registers[right]), second(registers[third], registers[fourth])), as in
// a * b + c * d). Each saves dispatches and the trips of the inner values
// through memory; the chains of + - * / that formulas are made of pair up.
#define ZERIZI_PAIRED_WITH(outer, X) X(outer, PLUS) X(outer, MINUS) X(outer, MULT) X(outer, DIV)
#define ZERIZI_PAIRS(X) \
    ZERIZI_PAIRED_WITH(PLUS, X) ZERIZI_PAIRED_WITH(MINUS, X) ZERIZI_PAIRED_WITH(MULT, X) ZERIZI_PAIRED_WITH(DIV, X)
#define ZERIZI_TWINNED_WITH(outer, first, X) \
    X(outer, first, PLUS) X(outer, first, MINUS) X(outer, first, MULT) X(outer, first, DIV)
#define ZERIZI_TWINNED_UNDER(outer, X)                                         \
    ZERIZI_TWINNED_WITH(outer, PLUS, X) ZERIZI_TWINNED_WITH(outer, MINUS, X) \
    ZERIZI_TWINNED_WITH(outer, MULT, X) ZERIZI_TWINNED_WITH(outer, DIV, X)
#define ZERIZI_TWINS(X)                                                      \
    ZERIZI_TWINNED_UNDER(PLUS, X) ZERIZI_TWINNED_UNDER(MINUS, X) ZERIZI_TWINNED_UNDER(MULT, X) \
    ZERIZI_TWINNED_UNDER(DIV, X)
// An operation's place among those that pair, in the order above; -1 for the others.
constexpr int paired_place(operation_code o) noexcept {
    return o == op_PLUS ? 0 : o == op_MINUS ? 1 : o == op_MULT ? 2 : o == op_DIV ? 3 : -1;
}
inline constexpr int paired_operation_count = 4;
// The pair and twin steps compute in the loop that calls no function.
static_assert([] {
    for (operation_code o : {op_PLUS, op_MINUS, op_MULT, op_DIV})
        if (!computes(mode_of(o)) || mode_of(o).pops != 2 || mode_of(o).calls_out) return false;
    return true;
}());
inline constexpr step_kind step_pair_first = step_bind_inputs + inputs_bound_unrolled + 1;
constexpr step_kind pair_step(operation_code outer, operation_code inner, bool inner_on_left) noexcept {
    return static_cast<step_kind>(step_pair_first +
                                  2 * (paired_operation_count * paired_place(outer) + paired_place(inner)) +
                                  (inner_on_left ? 0 : 1));
}
inline constexpr step_kind step_twin_first =
    step_pair_first + 2 * paired_operation_count * paired_operation_count;
constexpr step_kind twin_step(operation_code outer, operation_code first, operation_code second) noexcept {
    return static_cast<step_kind>(
        step_twin_first +
        paired_operation_count * (paired_operation_count * paired_place(outer) + paired_place(first)) +
        paired_place(second));
}
// Whether a step reads its third register (pairs), and its fourth (twins).
constexpr bool is_pair_step(step_kind kind) noexcept { return kind >= step_pair_first; }
constexpr bool is_twin_step(step_kind kind) noexcept { return kind >= step_twin_first; }
inline constexpr std::size_t step_kind_count =
    step_twin_first + paired_operation_count * paired_operation_count * paired_operation_count;
static_assert(step_kind_count <= 256, "step kinds are numbered in one byte");

struct register_step {
    step_kind kind;
    // Steps that jump or stop: the instructions of the original code that
    // the run went through since the last jump, charged to a run budget.
    std::uint16_t charge;
    std::uint32_t result;  // the register written, or how many steps a jump goes on or back (as int32_t)
    std::uint32_t left;
    std::uint32_t right;
    std::uint32_t third;   // a pair step's operand of the outer operation; a twin's of the second
    std::uint32_t fourth;  // a twin step's other operand of the second operation
};

class register_code {
public:
    // Until translate succeeds, the code is one step that gives up at once.
    register_code() : steps_{{op_nothing, 0, 0, 0, 0, 0, 0}} {}

    // Translates the engine's code, loaded and before fuse_assignments.
    // Returns false, and stays as it was, when the code
    // cannot be proven to run on registers (see register_translation.cpp).
    bool translate(const engine &loaded);

    // One evaluation: binds the inputs of values, runs the steps and hands the
    // output to element 0, as the engine's run would, and returns 0 (no zero
    // divisor). When the code is not translated, or as soon as a divisor is
    // zero, it gives up before anything is shown or handed back and returns
    // give_up(*this, values) instead (which must not throw): the engine's
    // evaluation, division message included. With a run_budget, every jump
    // charges it (run_budget.h), and a stop returns stopped_by_budget.
    template <typename Budget, typename GiveUp>
    int run(double *values, Budget budget, GiveUp give_up) noexcept {
        if constexpr (std::is_same_v<Budget, no_budget>)
            return run_steps<false>(values, budget, give_up, steps_.data());
        else
            return run_steps<false>(values, charged_budget{budget, budget.instructions}, give_up, steps_.data());
    }

private:
    // A budget with the instructions left in its period before go_on is
    // asked (as the execution loop counts them: one ask when a charge
    // reaches the period's end, which starts the next period).
    struct charged_budget {
        run_budget budget;
        std::uint64_t period_left;
    };
    // The steps from `step` on, under no_budget or a charged_budget. A run
    // starts in the loop that calls no function and keeps everything in
    // registers that need no saving; at the first step that calls out it
    // goes on in the loop that does.
    template <typename Budget>
    static bool charged(Budget &budget, std::uint16_t instructions) noexcept;
    template <bool CallsOut, typename Budget, typename GiveUp>
    int run_steps(double *values, Budget budget, GiveUp give_up, const register_step *step) noexcept;

    friend class register_translation;
    std::vector<double> registers_;
    std::vector<register_step> steps_;
};

// O applied to a and b; false, to give up, when O divides and b is zero.
template <operation_code O>
ZERIZI_STEP inline bool applied(double a, double b, double &value) noexcept {
    if constexpr (mode_of(O).divides)
        if (b == 0.0) return false;
    value = operation_result<O>{}(a, b);
    return true;
}

// The value of a computing step of operation O; false, to give up, at a zero
// divisor and for an operation that does not compute.
template <operation_code O>
ZERIZI_STEP inline bool step_value(const double *registers, const register_step &step, double &value) noexcept {
    constexpr operation_mode mode = mode_of(O);
    if constexpr (!computes(mode)) {
        return false;
    } else if constexpr (mode.pops == 1) {
        value = operation_result<O>{}(registers[step.left]);
        return true;
    } else {
        return applied<O>(registers[step.left], registers[step.right], value);
    }
}

// The value of a pair step (Outer applied to the value of Inner and the third
// register); false, to give up, at a zero divisor of either.
template <operation_code Outer, operation_code Inner, bool InnerOnLeft>
ZERIZI_STEP inline bool pair_value(const double *registers, const register_step &step, double &value) noexcept {
    double inner;
    if (!applied<Inner>(registers[step.left], registers[step.right], inner)) return false;
    const double other = registers[step.third];
    return InnerOnLeft ? applied<Outer>(inner, other, value) : applied<Outer>(other, inner, value);
}

// The value of a twin step; false, to give up, at a zero divisor of any of
// its operations (whatever was computed before it: the whole run gives up).
template <operation_code Outer, operation_code First, operation_code Second>
ZERIZI_STEP inline bool twin_value(const double *registers, const register_step &step, double &value) noexcept {
    double first, second;
    return applied<First>(registers[step.left], registers[step.right], first) &&
           applied<Second>(registers[step.third], registers[step.fourth], second) &&
           applied<Outer>(first, second, value);
}

// Charges a budget the instructions of a step; false stops the run. (A
// function rather than a lambda, which would make the budget and the step
// live in memory.)
template <typename Budget>
ZERIZI_STEP inline bool register_code::charged(Budget &budget, std::uint16_t instructions) noexcept {
    if constexpr (!std::is_same_v<Budget, no_budget>) {
        if (instructions < budget.period_left) {
            budget.period_left -= instructions;
            return true;
        }
        if (!budget.budget.go_on(budget.budget.context)) return false;
        budget.period_left = budget.budget.instructions;
    }
    return true;
}

template <bool CallsOut, typename Budget, typename GiveUp>
int register_code::run_steps(double *values, Budget budget, GiveUp give_up, const register_step *step) noexcept {
    double *const registers = registers_.data();
#if ZERIZI_COMPUTED_GOTO
#define ZERIZI_COMPUTE_LABEL(name, number) &&compute_##name,
#define ZERIZI_BRANCH_LABEL(name, number) &&branch_##name,
#define ZERIZI_STOPPING_LABEL(name, number) &&stop_##name,
#define ZERIZI_NON_OPERATORS &&give_up_step, &&give_up_step, &&give_up_step, &&give_up_step,
    static const void *const dispatch_table[] = {
        &&give_up_step, FORMULA_OPCODES(ZERIZI_COMPUTE_LABEL) ZERIZI_NON_OPERATORS &&give_up_step,
        FORMULA_OPCODES(ZERIZI_BRANCH_LABEL) ZERIZI_NON_OPERATORS &&give_up_step,
        FORMULA_OPCODES(ZERIZI_STOPPING_LABEL) ZERIZI_NON_OPERATORS &&move, &&jump, &&jump_if_zero, &&stop,
        &&bind_inputs, &&bind_1, &&bind_2, &&bind_3, &&bind_4,
#define ZERIZI_PAIR_LABELS(outer, inner) &&pair_##outer##_##inner##_left, &&pair_##outer##_##inner##_right,
        ZERIZI_PAIRS(ZERIZI_PAIR_LABELS)
#undef ZERIZI_PAIR_LABELS
#define ZERIZI_TWIN_LABEL(outer, first, second) &&twin_##outer##_##first##_##second,
        ZERIZI_TWINS(ZERIZI_TWIN_LABEL)
#undef ZERIZI_TWIN_LABEL
    };
    static_assert(sizeof dispatch_table / sizeof dispatch_table[0] == step_kind_count);
#undef ZERIZI_COMPUTE_LABEL
#undef ZERIZI_BRANCH_LABEL
#undef ZERIZI_STOPPING_LABEL
#undef ZERIZI_NON_OPERATORS
#define zerizi_step(label, number) label:
#define zerizi_fall_through
#define zerizi_dispatch goto *dispatch_table[step->kind]
#define zerizi_next_step \
    ++step;              \
    zerizi_dispatch
    zerizi_dispatch;
#else
#define zerizi_step(label, number) case number:
#define zerizi_fall_through [[fallthrough]]
#define zerizi_dispatch continue
#define zerizi_next_step \
    ++step;              \
    continue
    for (;;) switch (step->kind)
#endif
    {
// A step that calls out, met in the loop that does not, goes on in the loop
// that does; otherwise the step runs its code.
#define ZERIZI_IN_ITS_LOOP(name, ...)                                              \
    if constexpr (mode_of(op_##name).calls_out && !CallsOut) {                    \
        return run_steps<true>(values, budget, give_up, step);         \
    } else {                                                                      \
        __VA_ARGS__                                                               \
    }
#define ZERIZI_OPERATION_STEPS(name, number)                                       \
    zerizi_step(compute_##name, op_##name) ZERIZI_IN_ITS_LOOP(                     \
        name, double value;                                                        \
        if (!step_value<op_##name>(registers, *step, value)) return give_up(*this, values); \
        registers[step->result] = value; zerizi_next_step;)                        \
    zerizi_step(branch_##name, branch_unless(op_##name)) ZERIZI_IN_ITS_LOOP(       \
        name, double value;                                                        \
        if (!step_value<op_##name>(registers, *step, value)) return give_up(*this, values); \
        if (!charged(budget, step->charge)) return stopped_by_budget; if (value == 0.0) {               \
            step += static_cast<std::int32_t>(step->result);                                           \
            zerizi_dispatch;                                                       \
        } zerizi_next_step;)                                                       \
    zerizi_step(stop_##name, compute_and_stop(op_##name)) ZERIZI_IN_ITS_LOOP(      \
        name, double value;                                                        \
        if (!step_value<op_##name>(registers, *step, value)) return give_up(*this, values); \
        if (!charged(budget, step->charge)) return stopped_by_budget; values[0] = value; return 0;)
        FORMULA_OPCODES(ZERIZI_OPERATION_STEPS)
#undef ZERIZI_OPERATION_STEPS
#undef ZERIZI_IN_ITS_LOOP
#define ZERIZI_PAIR_STEP(outer, inner, side, on_left)                                             \
    zerizi_step(pair_##outer##_##inner##_##side, pair_step(op_##outer, op_##inner, on_left)) {      \
        double value;                                                                               \
        if (!pair_value<op_##outer, op_##inner, on_left>(registers, *step, value)) return give_up(*this, values); \
        registers[step->result] = value;                                                            \
        zerizi_next_step;                                                                           \
    }
#define ZERIZI_PAIR_STEPS(outer, inner) \
    ZERIZI_PAIR_STEP(outer, inner, left, true) ZERIZI_PAIR_STEP(outer, inner, right, false)
        ZERIZI_PAIRS(ZERIZI_PAIR_STEPS)
#undef ZERIZI_PAIR_STEPS
#undef ZERIZI_PAIR_STEP
#define ZERIZI_TWIN_STEP(outer, first, second)                                                      \
    zerizi_step(twin_##outer##_##first##_##second, twin_step(op_##outer, op_##first, op_##second)) { \
        double value;                                                                               \
        if (!twin_value<op_##outer, op_##first, op_##second>(registers, *step, value))               \
            return give_up(*this, values);                                                          \
        registers[step->result] = value;                                                            \
        zerizi_next_step;                                                                           \
    }
        ZERIZI_TWINS(ZERIZI_TWIN_STEP)
#undef ZERIZI_TWIN_STEP
        zerizi_step(move, step_move) {
            registers[step->result] = registers[step->left];
            zerizi_next_step;
        }
        zerizi_step(jump, step_jump) {
            if (!charged(budget, step->charge)) return stopped_by_budget;
            step += static_cast<std::int32_t>(step->result);
            zerizi_dispatch;
        }
        zerizi_step(jump_if_zero, step_jump_if_zero) {
            if (!charged(budget, step->charge)) return stopped_by_budget;
            if (registers[step->left] == 0.0) {
                step += static_cast<std::int32_t>(step->result);
                zerizi_dispatch;
            }
            zerizi_next_step;
        }
        zerizi_step(bind_inputs, step_bind_inputs) {
            for (std::uint32_t k = 1; k <= step->left; ++k) registers[k] = values[k];
            zerizi_next_step;
        }
        zerizi_step(bind_4, step_bind_inputs + 4) registers[4] = values[4];
        zerizi_fall_through;
        zerizi_step(bind_3, step_bind_inputs + 3) registers[3] = values[3];
        zerizi_fall_through;
        zerizi_step(bind_2, step_bind_inputs + 2) registers[2] = values[2];
        zerizi_fall_through;
        zerizi_step(bind_1, step_bind_inputs + 1) {
            registers[1] = values[1];
            zerizi_next_step;
        }
        // A stop that a jump was turned into charges what the jump would have.
        zerizi_step(stop, step_stop) {
            if (!charged(budget, step->charge)) return stopped_by_budget;
            if (step->right != 0) values[0] = registers[step->left];
            return 0;
        }
#if ZERIZI_COMPUTED_GOTO
    give_up_step:
#else
        default:
#endif
        return give_up(*this, values);
    }
#undef zerizi_step
#undef zerizi_fall_through
#undef zerizi_dispatch
#undef zerizi_next_step
}

}  // namespace zerizi
