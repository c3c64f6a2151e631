// A loaded formula in the evaluator's engine, evaluated as often as needed,
// for the modes that watch a run (--trace, --coverage, the playground). Each
// evaluation starts exactly as a fresh call of Formula does (engine::restart).
#pragma once

#include <memory>

#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "tools/formeval/loaded_formula.h"

namespace formeval {

class formula_runner {
public:
    // The engine's variable names point into the formula's symbol text: the
    // formula must outlive the runner.
    explicit formula_runner(const loaded_formula &formula);

    const loaded_formula &formula() const noexcept { return formula_; }

    // The evaluation stack as the last evaluation left it.
    const zerizi::value_stack &stack() const noexcept { return engine_->stack(); }

    // One evaluation: values[0] receives the output, values[1 ..] hold one
    // element per input variable. Returns how many zero divisors it met, or
    // zerizi::stopped_by_budget (see execution.h for the observer and budget).
    template <typename Observer = zerizi::no_observer, typename Budget = zerizi::no_budget>
    int evaluate(double *values, Observer &&observer = Observer{}, const Budget &budget = Budget{}) {
        return zerizi::run_bound_code(*engine_, values, observer, budget);
    }

private:
    const loaded_formula &formula_;
    std::unique_ptr<zerizi::engine> engine_;
};

}  // namespace formeval
