// The table of what each operation is (operation_modes.h) against what the
// engine does: every operation runs with 0, 1 and 2 values on the stack, a
// zero or a target address on top, and a symbol whose assigned flag is set
// or not, and each effect seen (the depth it leaves, the zero divisor, where
// the run goes on, the assignment, the flag read, the end of the run) must be
// the one its mode gives. The loop takes an operation's number of operands
// and whether it divides from the table too: what a computing operation
// gives for a zero divisor tells whether it divides. calls_out is not seen
// in a run: it only tells the register steps which loop to take.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "evaluator/operation_modes.h"
#include "formula_builder.h"

namespace {

using namespace formula;
using zerizi::index_use;
using zerizi::operation_code;
using zerizi::operation_mode;

// The code: a prologue (1-3) that sets the assigned flag of symbol 9, or not;
// the stack (4-5); the operation (6, and 7 for the fused assignment); then
// nothing up to the STOP at 11. Symbol 9 and address 9 are the target.
constexpr int operation_address = 6;
constexpr int target = 9;
constexpr int last_address = 11;

struct run_seen {
    struct fetch {
        std::int32_t address;
        std::size_t depth;
        double top;
    };
    std::vector<fetch> fetches;
    std::vector<std::int32_t> zero_divisors;
    struct assignment {
        std::int32_t at;
        std::int32_t index;
        double value;
    };
    std::vector<assignment> assignments;
    std::size_t final_depth = 0;
};

struct watching_observer {
    run_seen &seen;
    bool before_instruction(std::int32_t address, const zerizi::instruction &, const zerizi::value_stack &stack) {
        const auto values = stack.values();
        seen.fetches.push_back({address, values.size(), values.empty() ? 0.0 : values.back()});
        return true;
    }
    void after_assign(std::int32_t index, double value) {
        seen.assignments.push_back({seen.fetches.back().address, index, value});
    }
    void zero_divisor(std::int32_t address) { seen.zero_divisors.push_back(address); }
};

// How the test writes operation `op` as instructions (kind, value).
std::vector<std::pair<int, int>> instructions_of(operation_code op) {
    switch (op) {
        case zerizi::op_push_symbol:
            return {{Operando, target}};
        case zerizi::op_push_integer:
            return {{Riferimento, target}};
        case zerizi::op_assign_to:
            return {{Riferimento, target}, {Operatore, ASSIGN}};
        case zerizi::op_nothing:
            return {{4, 0}};  // a kind that is none of the three
        default:
            for (int opcode = 0; opcode <= largest_opcode; ++opcode)
                if (zerizi::operation_of_opcode[static_cast<std::size_t>(opcode)] == op) return {{Operatore, opcode}};
            return {};
    }
}

run_seen run(operation_code op, const std::vector<int> &stack, bool flag_set) {
    test_support::formula_builder f;
    for (char k = '1'; k <= '9'; ++k) f.variable(scope_local, std::string{'S', k});
    f.output("R");
    if (flag_set) {
        // S9 = S9's own 0.0: the flag is set, the value stays.
        f.reference(0);
        f.reference(target);
        f.op(ASSIGN);
    } else {
        for (int k = 0; k < 3; ++k) f.op(INF);
    }
    for (std::size_t k = stack.size(); k < 2; ++k) f.op(INF);
    for (int value : stack) f.reference(value);
    for (auto [kind, value] : instructions_of(op)) f.emit(kind, value);
    while (f.next_address() < last_address) f.op(INF);
    f.op(STOP);
    const test_support::formula_texts texts = f.build();

    zerizi::engine engine;
    const char *pointers[2] = {texts.symbols.c_str(), texts.code.c_str()};
    engine.load_formula(pointers);
    if (op == zerizi::op_assign_to) engine.fuse_assignments();
    run_seen seen;
    double values[1] = {-1.0};
    zerizi::run_bound_code(engine, values, watching_observer{seen});
    seen.final_depth = engine.stack().depth();
    return seen;
}

// What the mode says the operation does to `stack` (bottom first).
struct expected_effect {
    std::size_t depth;
    bool zero_divisor;
    std::optional<int> next;  // none when the run ends there
    std::optional<std::pair<int, double>> assignment;
};

expected_effect expected(const operation_mode &mode, int length, const std::vector<int> &stack) {
    const auto from_top = [&](std::size_t k) {  // 0.0 past the bottom, as an empty stack pops
        return k < stack.size() ? static_cast<double>(stack[stack.size() - 1 - k]) : 0.0;
    };
    expected_effect effect;
    effect.zero_divisor = mode.divides && from_top(0) == 0.0;
    const std::size_t left = stack.size() > mode.pops ? stack.size() - mode.pops : 0;
    effect.depth = left + (effect.zero_divisor ? 0 : mode.pushes);
    if (!mode.stops) {
        effect.next = operation_address + length;
        const bool taken = mode.pops == 1 || from_top(1) == 0.0;
        if (mode.jumps && taken) {
            const auto address = static_cast<int>(from_top(0));
            effect.next = address >= 1 && address <= last_address ? address : last_address + 1;
        }
    }
    if (mode.index == index_use::assigns) {
        // Popped with the value below it, or written in the fused instruction.
        const int index = mode.pops == 2 ? static_cast<int>(from_top(0)) : target;
        const double value = mode.pops == 2 ? from_top(1) : from_top(0);
        if (index >= 1 && index <= 10) effect.assignment = {index, value};
    }
    return effect;
}

TEST(OperationModes, EveryOperationDoesWhatItsModeSays) {
    for (std::size_t code = 0; code < zerizi::operation_count; ++code) {
        const auto op = static_cast<operation_code>(code);
        // The text machine's decoding step: the engine never has it.
        if (op == zerizi::op_by_value) continue;
        const operation_mode &mode = zerizi::mode_of(op);
        const int length = static_cast<int>(instructions_of(op).size());
        ASSERT_GT(length, 0) << "operation " << code;
        for (const std::vector<int> &stack :
             std::vector<std::vector<int>>{{}, {0}, {target}, {1, 0}, {0, target}, {target, target}}) {
            testing::Message where;
            where << "operation " << code << ", stack";
            for (int value : stack) where << ' ' << value;
            const expected_effect effect = expected(mode, length, stack);
#ifdef _WIN32
            // There the division message is a modal MessageBoxA.
            if (effect.zero_divisor) continue;
#endif
            std::optional<double> top_without_flag;
            for (bool flag_set : {false, true}) {
                testing::internal::CaptureStderr();
                const run_seen seen = run(op, stack, flag_set);
                testing::internal::GetCapturedStderr();
                std::size_t at = 0;
                while (at < seen.fetches.size() && seen.fetches[at].address != operation_address) ++at;
                ASSERT_LT(at, seen.fetches.size()) << where;
                const bool ended = at + 1 == seen.fetches.size();
                EXPECT_EQ(ended, !effect.next.has_value()) << where;
                const std::size_t depth = ended ? seen.final_depth : seen.fetches[at + 1].depth;
                EXPECT_EQ(depth, effect.depth) << where;
                if (effect.next && !ended) {
                    EXPECT_EQ(seen.fetches[at + 1].address, *effect.next) << where;
                }
                EXPECT_EQ(seen.zero_divisors, effect.zero_divisor ? std::vector<std::int32_t>{operation_address}
                                                                   : std::vector<std::int32_t>{})
                    << where;
                std::optional<std::pair<int, double>> assignment;
                for (const auto &made : seen.assignments)
                    if (made.at == operation_address) assignment = {made.index, made.value};
                EXPECT_EQ(assignment, effect.assignment) << where;
                // The flag of symbol 9 changes what an operation that tests
                // it pushes, and nothing else.
                if (ended || effect.depth == 0) continue;
                const double top = seen.fetches[at + 1].top;
                // What does not divide gives a number for any divisor.
                if (!mode.divides && stack == std::vector<int>{1, 0}) {
                    EXPECT_TRUE(std::isfinite(top)) << where;
                }
                if (!flag_set) {
                    top_without_flag = top;
                    continue;
                }
                const bool tests_target = mode.index == index_use::tests && !stack.empty() && stack.back() == target;
                if (tests_target) {
                    EXPECT_EQ(*top_without_flag, 0.0) << where;
                    EXPECT_EQ(top, 1.0) << where;
                } else {
                    EXPECT_EQ(top, *top_without_flag) << where;
                }
            }
        }
    }
}

// What divides computes no number for a zero divisor: that is why the loop
// must not compute it.
template <operation_code O>
void expect_no_value_for_a_zero_divisor() {
    if constexpr (zerizi::mode_of(O).divides) {
        for (double zero : {0.0, -0.0})
            EXPECT_FALSE(std::isfinite(zerizi::operation_result<O>{}(1.0, zero))) << "operation " << int{O};
    }
}

TEST(OperationModes, WhatDividesHasNoValueForAZeroDivisor) {
#define EXPECT_NO_VALUE(name, number) expect_no_value_for_a_zero_divisor<zerizi::op_##name>();
    FORMULA_OPCODES(EXPECT_NO_VALUE)
#undef EXPECT_NO_VALUE
}

}  // namespace
