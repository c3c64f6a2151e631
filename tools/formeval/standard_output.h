// formeval's checked output: every mode writes through write_checked, and
// the run ends with finish_standard_output, so that output lost on a full
// disk or a closed pipe is reported (exit code 2) instead of passing for done.
#pragma once

#include <cstdio>
#include <string_view>

namespace formeval {

// Writes all of text to stream; false when that failed, now or at an earlier
// write (the stream's error indicator stays set).
bool write_checked(std::FILE *stream, std::string_view text);

// Flushes standard output; false when anything written to it was lost.
bool finish_standard_output();

}  // namespace formeval
