#include "tools/formeval/execution_counts.h"

#include <algorithm>

#include "evaluator/run_budget.h"

namespace formeval {

namespace {

// Counts the executions of every instruction, by address.
struct execution_counter : zerizi::no_observer {
    std::vector<std::uint64_t> &executions;

    explicit execution_counter(std::vector<std::uint64_t> &counts) : executions(counts) {}

    bool before_instruction(std::int32_t address, const zerizi::instruction &, const zerizi::value_stack &) {
        if (static_cast<std::size_t>(address) < executions.size()) ++executions[static_cast<std::size_t>(address)];
        return true;
    }
};

}  // namespace

execution_counts::execution_counts(formula_runner &runner)
    : runner_(runner),
      executions_(runner.formula().code().size() + 2, 0),
      values_(runner.formula().input_names().size() + 1, 0.0) {}

int execution_counts::evaluate(std::span<const double> inputs, double &output) {
    values_[0] = 0.0;
    std::copy_n(inputs.begin(), std::min(inputs.size(), values_.size() - 1), values_.begin() + 1);
    const zerizi::run_budget budget{coverage_row_instruction_limit, [](void *) { return false; }, nullptr};
    const int ending = runner_.evaluate(values_.data(), execution_counter{executions_}, budget);
    output = values_[0];
    return ending;
}

}  // namespace formeval
