// formeval --csv NAME FILE.csv [-o OUT.csv]: reads FILE.csv in large blocks,
// evaluates every row through the formula loaded once, and writes the output
// CSV to standard output, or to OUT.csv, which is written under a temporary
// name beside it and put in place only when every row has been evaluated (a
// bad row leaves an existing OUT.csv as it was).
#pragma once

#include "tools/formeval/arguments.h"
#include "tools/formeval/loaded_formula.h"

#include <cstdint>
#include <string>

namespace formeval {

// A file's size for the progress bar; 0 when it cannot be told.
std::uintmax_t size_for_progress(const std::string &path);

// The exit code; every failure has been reported on standard error.
int evaluate_csv_file(const loaded_formula &formula, const invocation &call);

}  // namespace formeval
