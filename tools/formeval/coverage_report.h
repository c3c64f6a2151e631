// formeval --coverage's reports: how often each line of a formula's source
// ran, from the compiler's statement records (the code each statement
// generated) and the count of every instruction's executions, as gcov's text
// form and as an lcov tracefile.
//
// A line's count is the largest count among the statements that start on it
// and generated code, each counted by its first instruction (which runs
// exactly when the statement does; a "while" counts its condition, which runs
// once more than the loop's body). A line on which no such statement starts
// has no count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/cross_reference.h"

namespace formeval {

// Element k: the count of source line k + 1, or none for a line without
// statements. `executions[a]` is how often the instruction at address a ran.
std::vector<std::optional<std::uint64_t>> line_counts(const std::vector<formcomp::statement_record> &statements,
                                                      const std::vector<std::uint64_t> &executions,
                                                      std::size_t line_count);

// The lines of a source as the compiler counts them: split at LF, a CR before
// it dropped; a last line without LF counts, an empty rest does not.
std::vector<std::string_view> source_lines(std::string_view source);

// gcov's text form: "COUNT:LINE:text" for every line of the source, the count
// right-aligned in 9 columns ("-" without statements, "#####" for 0) and the
// line number in 5, then a closing line with the lines run of those with
// statements and their share.
std::string gcov_text(std::string_view source, const std::vector<std::optional<std::uint64_t>> &counts);

// An lcov tracefile of one source: SF, one DA per line with statements, LF,
// LH and end_of_record.
std::string lcov_tracefile(std::string_view source_path, const std::vector<std::optional<std::uint64_t>> &counts);

}  // namespace formeval
