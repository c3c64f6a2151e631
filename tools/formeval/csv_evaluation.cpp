#include "tools/formeval/csv_evaluation.h"

#include <algorithm>

#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace formeval {

std::string output_column_name(const loaded_formula &formula) {
    return formula.output_name().empty() ? no_output_column : formula.output_name();
}

void evaluate_row(zerizi::prepared_formula &prepared, std::span<const double> inputs, std::vector<double> &values,
                  const csv_row_reader &reader, std::FILE *notices) {
    values[0] = 0.0;
    std::copy(inputs.begin(), inputs.end(), values.begin() + 1);
    const int zero_divisors = prepared.evaluate(values.data());
    if (zero_divisors != 0 && notices != nullptr)
        std::fprintf(notices, "formeval: %s\n", reader.row_message(row_zero_divisor_text).c_str());
}

csv_evaluator::csv_evaluator(const loaded_formula &formula, std::string file_name, std::FILE *notices)
    : formula_(formula),
      prepared_(formula.symbol_text().c_str(), formula.code_text().c_str()),
      reader_(formula.input_names(), std::move(file_name)),
      notices_(notices),
      values_(formula.input_names().size() + 1, 0.0) {}

std::string csv_evaluator::header() const {
    std::vector<std::string> names = formula_.input_names();
    names.push_back(output_column_name(formula_));
    return joined_names(names) + "\n";
}

bool csv_evaluator::take_line(std::string_view line, std::string &out, std::string &error) {
    const csv_row_reader::line_kind kind = reader_.take_line(line, error);
    if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
    evaluate_row(prepared_, reader_.row(), values_, reader_, notices_);
    ++rows_evaluated_;
    for (std::size_t i = 1; i < values_.size(); ++i) {
        append_plain_number(out, values_[i]);
        out += ',';
    }
    append_plain_number(out, values_[0]);
    out += '\n';
    return true;
}

}  // namespace formeval
