// A prepared formula's evaluation under a run budget (run_budget.h), for the
// hosts that link the evaluator in and must be able to stop a formula that
// never ends (a database server's cancel check). Not exported from the
// shared library.
#pragma once

#include "evaluator/run_budget.h"
#include "zerizi_prepared.h"

namespace zerizi {

// As FormulaEvaluate, with the budget asked as run_budget.h says; returns the
// zero divisors met, or stopped_by_budget (element 0 untouched) when go_on
// stopped the run. A null formula or values gives 0. The evaluation runs on
// the prepared formula's engine; the next one starts from nothing, whether or
// not this one was stopped.
int evaluate_bounded(PreparedFormula *formula, double *values, const run_budget &budget);

}  // namespace zerizi
