#include "tools/formeval/compare_mode.h"

#include <cmath>
#include <string>

#include "formula/formatted_text.h"
#include "platform/file_handle.h"
#include "tools/formeval/check_mode.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/output_sink.h"
#include "tools/formeval/refusal.h"

namespace formeval {

namespace {

// The largest difference seen, and its row.
struct largest_difference {
    double value = 0.0;
    long long row = 0;

    void take(double candidate, long long at) {
        if (row == 0 || candidate > value) {
            value = candidate;
            row = at;
        }
    }
};

void report_summary(long long rows, long long differing, const largest_difference &absolute,
                    const largest_difference &relative) {
    std::string text = "formeval: " + formula::formatted_text(compare_summary_text, rows, differing) + "\n";
    if (absolute.row != 0) {
        std::string number;
        append_plain_number(number, absolute.value);
        text += "formeval: " +
                formula::formatted_text(compare_largest_absolute_text, number.c_str(), absolute.row) + "\n";
    }
    if (relative.row != 0) {
        std::string number;
        append_plain_number(number, relative.value * 100.0);
        text += "formeval: " +
                formula::formatted_text(compare_largest_relative_text, number.c_str(), relative.row) + "\n";
    }
    std::fputs(text.c_str(), stderr);
}

}  // namespace

int compare_csv_file(const loaded_formula &old_formula, const loaded_formula &new_formula, const invocation &call) {
    const std::size_t inputs = old_formula.input_names().size();
    if (new_formula.input_names().size() != inputs)
        return refuse(compare_input_counts_text, call.name.c_str(), call.new_name.c_str(), static_cast<int>(inputs),
                      static_cast<int>(new_formula.input_names().size()));
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    output_sink output(call.output_path);
    if (const int refused = output.open(call.csv_path)) return refused;

    csv_row_reader reader(old_formula.input_names(), call.csv_path);
    zerizi::prepared_formula old_prepared(old_formula.symbol_text().c_str(), old_formula.code_text().c_str());
    zerizi::prepared_formula new_prepared(new_formula.symbol_text().c_str(), new_formula.code_text().c_str());
    std::vector<double> old_values(inputs + 1, 0.0), new_values(inputs + 1, 0.0);
    long long rows = 0;
    long long differing = 0;
    largest_difference absolute, relative;
    std::string out = joined_names(old_formula.input_names()) + (inputs == 0 ? "" : ",") + compare_columns + "\n";
    const auto take_line = [&](std::string_view line, std::string &error) {
        const csv_row_reader::line_kind kind = reader.take_line(line, error);
        if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
        evaluate_row(old_prepared, reader.row(), old_values, reader, stderr);
        evaluate_row(new_prepared, reader.row(), new_values, reader, stderr);
        ++rows;
        const double before = old_values[0];
        const double after = new_values[0];
        if (!results_differ(before, after, call.tolerance)) return true;
        ++differing;
        const double difference = after - before;
        absolute.take(std::fabs(difference), reader.line_number());
        if (before != 0.0) relative.take(std::fabs(difference / before), reader.line_number());
        for (const double value : reader.row()) {
            append_plain_number(out, value);
            out += ',';
        }
        append_plain_number(out, before);
        out += ',';
        append_plain_number(out, after);
        out += ',';
        append_plain_number(out, difference);
        out += '\n';
        return true;
    };
    const auto after_block = [&] { return output.write_when_full(out); };
    std::string error;
    switch (read_csv_lines(input.get(), size_for_progress(call.csv_path), reader, take_line, after_block, error)) {
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
    report_summary(rows, differing, absolute, relative);
    return differing == 0 ? exit_evaluated : exit_rows_differ;
}

}  // namespace formeval
