// The compile run: options, parse, "Parsing ok" and the exit code. formcomp's
// main calls it once; tests, the fuzz target and the benchmarks call it many
// times in one process with their own channels (process_state.h).
#pragma once

#include "compiler/process_state.h"

namespace formcomp {

inline constexpr int exit_success = 0;
inline constexpr int exit_compile_error = 1;  // also -h and an unknown option
inline constexpr int exit_scanner_failure = 2;

// Resets the process state, takes `setup` as the run's channels, and runs
// one compile. Returns the exit code.
int run_formcomp(int argc, char **argv, run_channels setup = {});

}  // namespace formcomp
