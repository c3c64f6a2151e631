#include "tools/formeval/compare_mode.h"

#include <string>

#include "platform/file_handle.h"
#include "tools/formeval/csv_comparison.h"
#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/output_sink.h"
#include "tools/formeval/refusal.h"

namespace formeval {

int compare_csv_file(const loaded_formula &old_formula, const loaded_formula &new_formula, const invocation &call) {
    const std::size_t inputs = old_formula.input_names().size();
    if (new_formula.input_names().size() != inputs)
        return refuse(compare_input_counts_text, call.name.c_str(), call.new_name.c_str(), static_cast<int>(inputs),
                      static_cast<int>(new_formula.input_names().size()));
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    output_sink output(call.output_path);
    if (const int refused = output.open(call.csv_path)) return refused;

    csv_comparison comparison(old_formula, new_formula, call.csv_path, call.tolerance, stderr);
    std::string out = comparison.header();
    const auto take_line = [&](std::string_view line, std::string &error) {
        return comparison.take_line(line, out, error);
    };
    const auto after_block = [&] { return output.write_when_full(out); };
    std::string error;
    switch (read_csv_lines(input.get(), size_for_progress(call.csv_path), comparison.reader(), take_line, after_block,
                           error)) {
        case csv_pass::read:
            break;
        case csv_pass::stopped_after_block:
            return output.refuse_unwritten();
        case csv_pass::unreadable:
            return refuse(unreadable_file_text, call.csv_path.c_str());
        case csv_pass::stopped_by_row:
            if (output.to_standard_output()) output.write(out);
            std::fflush(stdout);
            return refuse("%s", error.c_str());
    }
    if (!output.write(out) || !output.commit()) return output.refuse_unwritten();
    std::fputs(comparison.summary().c_str(), stderr);
    return comparison.differing() == 0 ? exit_evaluated : exit_rows_differ;
}

}  // namespace formeval
