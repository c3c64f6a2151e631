// formeval --coverage SOURCE.frm FILE.csv [--lcov OUT.info]: compiles the
// source in the process through the compile library (no files written),
// evaluates every row of FILE.csv (read as --csv reads it) on the engine,
// counting how often each instruction runs, and prints the source with each
// line's count in gcov's text form (coverage_report.h); --lcov also writes an
// lcov tracefile for genhtml. A source that does not compile gives
// formcomp's messages and exit code 2.
#pragma once

#include "tools/formeval/arguments.h"

namespace formeval {

int report_coverage(const invocation &call);

}  // namespace formeval
