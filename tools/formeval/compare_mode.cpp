#include "tools/formeval/compare_mode.h"

#include <string>

#include "platform/file_handle.h"
#include "tools/formeval/csv_comparison.h"
#include "tools/formeval/csv_output_pass.h"
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
    const auto take_line = [&](std::string_view line, std::string &rows, std::string &error) {
        return comparison.take_line(line, rows, error);
    };
    if (const int refused = write_csv_rows(input.get(), call.csv_path, comparison.reader(), take_line, output, out);
        refused != exit_evaluated)
        return refused;
    std::fputs(comparison.summary().c_str(), stderr);
    return comparison.differing() == 0 ? exit_evaluated : exit_rows_differ;
}

}  // namespace formeval
