// The compile run: options, parse, "Parsing ok" and the exit code. formcomp's
// main calls it once; tests, the fuzz target and the benchmarks call it many
// times in one process with their own channels.
#pragma once

#include "compiler/input_source.h"
#include "compiler/output_files.h"

#include <string>

namespace formcomp {

inline constexpr int exit_success = 0;
inline constexpr int exit_compile_error = 1;  // also -h and an unknown option
inline constexpr int exit_scanner_failure = 2;

// Where a run's input and output go.
struct run_channels {
    input_source *input = nullptr;           // null: standard input
    std::string *standard_output = nullptr;  // null: the process's standard output
    std::string *standard_error = nullptr;   // null: the process's standard error
    std::string output_folder;               // empty: the current directory
    compiled_texts *texts = nullptr;         // set: the texts are kept here, no file is touched
};

// Every part of the compiler back to its state at process start: options
// and flags, console, scanner, tables, actions, messages, output files.
void reset_compile_state();

// Resets the compile state and takes `setup` as the channels of the run
// that starts.
void start_run(run_channels setup);

// The compile proper, once the run flags are set: parse, "Parsing ok" on
// success. Returns the exit code. What the run worked out (its messages,
// diagnostics.h; its names, cross_reference.h) stays until the next reset.
int compile_formula();

// formcomp: start_run, the option letters, then compile_formula. Returns
// the exit code.
int run_formcomp(int argc, char **argv, run_channels setup = {});

}  // namespace formcomp
