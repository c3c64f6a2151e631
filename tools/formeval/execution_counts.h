// How often each instruction of a formula ran over many evaluations on the
// engine: the counts behind formeval --coverage and the playground's coverage
// after a CSV run (line_counts in coverage_report.h turns them into lines).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/formeval/formula_runner.h"

namespace formeval {

// A row that runs this many instructions without reaching STOP is taken for
// one that never ends.
inline constexpr std::uint64_t coverage_row_instruction_limit = 100'000'000;

class execution_counts {
public:
    explicit execution_counts(formula_runner &runner);

    // One evaluation of `inputs` (one per input variable), its instructions
    // counted. Returns its output in `output` and how many zero divisors it
    // met, or zerizi::stopped_by_budget after coverage_row_instruction_limit.
    int evaluate(std::span<const double> inputs, double &output);

    // Element a: how often the instruction at address a ran.
    const std::vector<std::uint64_t> &executions() const noexcept { return executions_; }

private:
    formula_runner &runner_;
    std::vector<std::uint64_t> executions_;
    std::vector<double> values_;
};

}  // namespace formeval
