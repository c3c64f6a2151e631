// The pass of a mode that writes CSV rows (--csv, --compare): every line of
// the input goes to take_line(line, out, error), which appends what a row
// gives to `out`; `out` reaches the output a block at a time and is put in
// place once every line has been taken. A line that cannot be used stops the
// pass: the rows before it reach standard output, and a file named with -o is
// left as it was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/output_sink.h"
#include "tools/formeval/refusal.h"

namespace formeval {

// exit_evaluated, or the exit code of the refusal it has reported.
template <typename TakeLine>
int write_csv_rows(std::FILE *input, const std::string &csv_path, csv_row_reader &reader, TakeLine take_line,
                   output_sink &output, std::string &out) {
    const auto take = [&](std::string_view line, std::string &error) { return take_line(line, out, error); };
    const auto after_block = [&] { return output.write_when_full(out); };
    std::string error;
    switch (read_csv_lines(input, size_for_progress(csv_path), reader, take, after_block, error)) {
        case csv_pass::read:
            break;
        case csv_pass::stopped_after_block:
            return output.refuse_unwritten();
        case csv_pass::unreadable:
            return refuse(unreadable_file_text, csv_path.c_str());
        case csv_pass::stopped_by_row:
            if (output.to_standard_output()) output.write(out);
            std::fflush(stdout);
            return refuse("%s", error.c_str());
    }
    if (!output.write(out) || !output.commit()) return output.refuse_unwritten();
    return exit_evaluated;
}

}  // namespace formeval
