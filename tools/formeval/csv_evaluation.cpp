#include "tools/formeval/csv_evaluation.h"

#include <algorithm>

#include "formula/formatted_text.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace formeval {

namespace {

using formula::formatted_text;

// At most 40 characters of a field, for a message; bytes that would not show
// (control characters, a zero byte) as \xNN.
std::string shown(const std::string &field) {
    std::string text;
    for (std::size_t i = 0; i < field.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c == 0x7f) {
            formula::append_formatted(text, "\\x%02x", static_cast<unsigned>(c));
        } else {
            text += field[i];
        }
    }
    if (field.size() > 40) text += "...";
    return text;
}

std::string joined(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names) {
        if (!text.empty()) text += ',';
        text += name;
    }
    return text;
}

}  // namespace

csv_evaluator::csv_evaluator(const loaded_formula &formula, std::string file_name, std::FILE *notices)
    : formula_(formula), prepared_(formula.symbol_text().c_str(), formula.code_text().c_str()), file_name_(std::move(file_name)), notices_(notices),
      values_(formula.input_names().size() + 1, 0.0) {}

std::string csv_evaluator::header() const {
    std::vector<std::string> names = formula_.input_names();
    names.push_back(formula_.output_name().empty() ? no_output_column : formula_.output_name());
    return joined(names) + "\n";
}

std::string csv_evaluator::row_message(long long row, const std::string &what) const {
    return formatted_text(bad_row_text, file_name_.c_str(), row, what.c_str());
}

std::string csv_evaluator::line_too_long_message() const {
    return row_message(line_number_ + 1, formatted_text(line_too_long_text, longest_line));
}

// The first line is a header when it names the input variables exactly, or
// when it is not all numbers (then it must be the header, and is refused).
bool csv_evaluator::is_header(std::size_t count) const {
    const std::vector<std::string> &names = formula_.input_names();
    if (names.empty()) return false;
    if (count == names.size() && std::equal(names.begin(), names.end(), fields_.begin())) return true;
    return std::any_of(fields_.begin(), fields_.begin() + static_cast<std::ptrdiff_t>(count),
                       [](const std::string &field) { return !parse_number(field); });
}

bool csv_evaluator::take_line(std::string_view line, std::string &out, std::string &error) {
    const long long row = ++line_number_;
    if (row == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // a UTF-8 byte-order mark
    std::size_t count = 0;
    std::string what;
    if (!split_fields(line, fields_, count, what)) {
        error = row_message(row, what);
        return false;
    }
    const std::vector<std::string> &names = formula_.input_names();
    if (row == 1 && is_header(count)) {
        if (count == names.size() && std::equal(names.begin(), names.end(), fields_.begin())) return true;
        error = row_message(row, formatted_text(row_neither_numbers_nor_header_text, joined(names).c_str()));
        return false;
    }
    if (count != names.size()) {
        error = row_message(row, formatted_text(row_value_count_text, count, static_cast<int>(names.size())));
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto number = parse_number(fields_[i]);
        if (!number) {
            error = row_message(row, formatted_text(row_not_a_number_text, i + 1, shown(fields_[i]).c_str()));
            return false;
        }
        values_[i + 1] = *number;
    }
    values_[0] = 0.0;
    const int zero_divisors = prepared_.evaluate(values_.data());
    ++rows_evaluated_;
    if (zero_divisors != 0 && notices_) std::fprintf(notices_, "formeval: %s\n", row_message(row, row_zero_divisor_text).c_str());
    for (std::size_t i = 1; i < values_.size(); ++i) {
        append_plain_number(out, values_[i]);
        out += ',';
    }
    append_plain_number(out, values_[0]);
    out += '\n';
    return true;
}

}  // namespace formeval
