// formeval --check NAME FILE.csv [--tolerance T]: every row of FILE.csv holds
// the inputs and then the expected result, as --csv writes them (its header
// too), so a file written by --csv is a golden file as it stands. A row whose
// result differs from the expected one (by more than T, with --tolerance) is
// printed as "riga N: atteso X, ottenuto Y"; a last line counts the rows
// checked and those that differ. Exit code 0 when every row agrees, 1 when
// any differs, 2 for input that cannot be used.
#pragma once

#include "tools/formeval/arguments.h"
#include "tools/formeval/loaded_formula.h"

namespace formeval {

int check_csv_file(const loaded_formula &formula, const invocation &call);

// Whether a result differs from the one it is compared with: not equal, or
// with a tolerance, farther from it than the tolerance. Two NaNs agree; a NaN
// and a number differ.
bool results_differ(double expected, double obtained, double tolerance) noexcept;

}  // namespace formeval
