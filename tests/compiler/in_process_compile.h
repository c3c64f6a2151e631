// A whole compile run in process, through the run's channels: the source
// from memory, what it prints and the two texts captured, no file touched.
// Runs on every platform, the Windows builds included.
#pragma once

#include "compiler/output_files.h"

#include <string>
#include <string_view>
#include <vector>

namespace formcomp_test {

struct in_process_run {
    int exit_code = -1;
    std::string standard_output;
    std::string standard_error;
    formcomp::compiled_texts texts;
};

// Compiles `source` as `formcomp OPTIONS < source` would, and records it in
// the corpus of compared sources (test_files.h).
in_process_run compile_in_process(std::string_view source, const std::vector<std::string> &options = {});

}  // namespace formcomp_test
