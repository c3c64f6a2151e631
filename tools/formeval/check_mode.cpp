#include "tools/formeval/check_mode.h"

#include <cmath>
#include <string>

#include "formula/formatted_text.h"
#include "platform/file_handle.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

bool results_differ(double expected, double obtained, double tolerance) noexcept {
    if (std::isnan(expected) && std::isnan(obtained)) return false;
    return !(expected == obtained || std::fabs(obtained - expected) <= tolerance);
}

namespace {

std::string plain_number(double value) {
    std::string text;
    append_plain_number(text, value);
    return text;
}

}  // namespace

int check_csv_file(const loaded_formula &formula, const invocation &call) {
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    std::vector<std::string> columns = formula.input_names();
    columns.push_back(output_column_name(formula));
    csv_row_reader reader(columns, call.csv_path);
    zerizi::prepared_formula prepared(formula.symbol_text().c_str(), formula.code_text().c_str());
    std::vector<double> values(formula.input_names().size() + 1, 0.0);
    long long checked = 0;
    long long differing = 0;
    std::string out;
    const auto take_line = [&](std::string_view line, std::string &error) {
        const csv_row_reader::line_kind kind = reader.take_line(line, error);
        if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
        const std::span<const double> row = reader.row();
        evaluate_row(prepared, row.first(row.size() - 1), values, reader, stderr);
        ++checked;
        if (results_differ(row.back(), values[0], call.tolerance)) {
            ++differing;
            formula::append_formatted(out, check_row_differs_text, reader.line_number(),
                                      plain_number(row.back()).c_str(), plain_number(values[0]).c_str());
            out += '\n';
        }
        return true;
    };
    const auto write_out = [&] {
        const bool written = write_checked(stdout, out);
        out.clear();
        return written;
    };
    std::string error;
    switch (read_csv_lines(input.get(), size_for_progress(call.csv_path), reader, take_line, write_out, error)) {
        case csv_pass::read:
            break;
        case csv_pass::stopped_after_block:
            return refuse("%s", unwritable_output_text);
        case csv_pass::unreadable:
            return refuse(unreadable_file_text, call.csv_path.c_str());
        case csv_pass::stopped_by_row:
            write_out();
            finish_standard_output();
            return refuse("%s", error.c_str());
    }
    formula::append_formatted(out, check_summary_text, checked, differing);
    out += '\n';
    if (!write_out()) return refuse("%s", unwritable_output_text);
    return differing == 0 ? exit_evaluated : exit_rows_differ;
}

}  // namespace formeval
