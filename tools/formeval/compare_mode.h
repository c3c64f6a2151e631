// formeval --compare OLD NEW FILE.csv [-o OUT.csv] [--tolerance T]: both
// formulas, prepared once, evaluate every row of FILE.csv (read as --csv
// reads it; the header names OLD's inputs). The output, a CSV file written as
// --csv writes it, holds only the rows whose results differ (by more than T,
// with --tolerance): the inputs, then "prima,dopo,differenza" (OLD's result,
// NEW's, NEW - OLD). Standard error gets the rows read, the rows that differ
// and the largest absolute and relative differences with their rows. Exit
// code 0 when no row differs, 1 when some do, 2 for input that cannot be
// used (formulas with different numbers of inputs included).
#pragma once

#include "tools/formeval/arguments.h"
#include "tools/formeval/loaded_formula.h"

namespace formeval {

int compare_csv_file(const loaded_formula &old_formula, const loaded_formula &new_formula, const invocation &call);

}  // namespace formeval
