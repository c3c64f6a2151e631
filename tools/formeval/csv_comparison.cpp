#include "tools/formeval/csv_comparison.h"

#include <cmath>

#include "formula/formatted_text.h"
#include "tools/formeval/check_mode.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace formeval {

void csv_comparison::largest_difference::take(double candidate, long long at) {
    if (row == 0 || candidate > value) {
        value = candidate;
        row = at;
    }
}

csv_comparison::csv_comparison(const loaded_formula &old_formula, const loaded_formula &new_formula,
                               std::string file_name, double tolerance, std::FILE *notices)
    : old_prepared_(old_formula.symbol_text().c_str(), old_formula.code_text().c_str()),
      new_prepared_(new_formula.symbol_text().c_str(), new_formula.code_text().c_str()),
      reader_(old_formula.input_names(), std::move(file_name)),
      tolerance_(tolerance),
      notices_(notices),
      old_values_(old_formula.input_names().size() + 1, 0.0),
      new_values_(old_formula.input_names().size() + 1, 0.0) {}

std::string csv_comparison::header() const {
    const std::vector<std::string> &names = reader_.column_names();
    return joined_names(names) + (names.empty() ? "" : ",") + compare_columns + "\n";
}

bool csv_comparison::take_line(std::string_view line, std::string &out, std::string &error) {
    last_change_.reset();
    const csv_row_reader::line_kind kind = reader_.take_line(line, error);
    if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
    evaluate_row(old_prepared_, reader_.row(), old_values_, reader_, notices_);
    evaluate_row(new_prepared_, reader_.row(), new_values_, reader_, notices_);
    ++rows_;
    const double before = old_values_[0];
    const double after = new_values_[0];
    if (!results_differ(before, after, tolerance_)) return true;
    ++differing_;
    const double difference = after - before;
    absolute_.take(std::fabs(difference), reader_.line_number());
    if (before != 0.0) relative_.take(std::fabs(difference / before), reader_.line_number());
    last_change_ = row_change{reader_.line_number(), before, after, difference};
    for (const double value : reader_.row()) {
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
}

std::string csv_comparison::summary() const {
    std::string text = "formeval: " + formula::formatted_text(compare_summary_text, rows_, differing_) + "\n";
    if (absolute_.row != 0) {
        std::string number;
        append_plain_number(number, absolute_.value);
        text += "formeval: " +
                formula::formatted_text(compare_largest_absolute_text, number.c_str(), absolute_.row) + "\n";
    }
    if (relative_.row != 0) {
        std::string number;
        append_plain_number(number, relative_.value * 100.0);
        text += "formeval: " +
                formula::formatted_text(compare_largest_relative_text, number.c_str(), relative_.row) + "\n";
    }
    return text;
}

}  // namespace formeval
