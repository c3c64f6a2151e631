// formeval --trace: one evaluation through the engine's observer hooks,
// printed step by step:
//   Inp: A = 21                          each input variable as bound
//   Trc:   3   Operatore     MULT  [42]  address, kind, operand as in the
//                                        listing, then the stack after the
//                                        instruction, bottom first; a deeper
//                                        stack than shown_stack_values shows
//                                        its top values after "+N:", N being
//                                        the number of values below them
//   Ass: R = 42                          each assignment, after its ASSIGN
//   Out: 42                              element 0 at the end, as formeval prints it
// A zero divisor's message (on standard error) comes right after the line of
// its DIV or MODOPER: the trace is written out up to that line first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/formeval/formula_runner.h"

namespace formeval {

// formeval's trace ends at STOP, or at the first jump after this many
// instructions (a formula whose jumps never reach STOP would otherwise trace
// forever). The playground gives a limit of its own.
inline constexpr long trace_instruction_limit = 1000000;

// The most stack values a trace line shows.
inline constexpr std::size_t shown_stack_values = 16;

class trace_observer {
public:
    // The trace is appended to `out`; with a `sink`, `out` is written there
    // whenever it grows past 64 KiB, so a long trace needs no memory of its own.
    trace_observer(const formula_runner &runner, std::string &out, std::FILE *sink = nullptr)
        : runner_(runner), out_(out), sink_(sink) {}

    bool before_instruction(std::int32_t address, const zerizi::instruction &instruction,
                            const zerizi::value_stack &stack);
    void after_assign(std::int32_t index, double value);
    void zero_divisor(std::int32_t address);

    // Completes the line of the last instruction (STOP) with the final stack.
    void finish(const zerizi::value_stack &stack);
    // The steps (the Trc lines, counted from 1) whose instruction met a zero divisor.
    const std::vector<long> &zero_divisor_steps() const noexcept { return zero_divisor_steps_; }

private:
    void complete_pending_line(const zerizi::value_stack &stack);
    void write_to_sink();
    std::string symbol_name(std::int32_t index) const;

    const formula_runner &runner_;
    std::string &out_;
    std::FILE *sink_;
    std::string pending_line_;  // the instruction that ran last, waiting for its stack
    std::string assignments_;   // its assignment, printed after it
    long steps_ = 0;
    std::vector<long> zero_divisor_steps_;
};

struct trace_outcome {
    bool complete = false;  // false when the run was cut off at the limit
    double output = 0.0;    // element 0 as the run left it
    std::vector<long> zero_divisor_steps;
};

// The whole trace of one evaluation with `inputs`, appended to `out` (and
// written to `sink` as it grows, when there is one), cut off at the first
// jump after `instruction_limit` instructions.
trace_outcome trace_evaluation(formula_runner &runner, const std::vector<double> &inputs, long instruction_limit,
                               std::string &out, std::FILE *sink = nullptr);

}  // namespace formeval
