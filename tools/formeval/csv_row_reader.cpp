#include "tools/formeval/csv_row_reader.h"

#include <algorithm>

#include "formula/formatted_text.h"
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

}  // namespace

std::string joined_names(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names) {
        if (!text.empty()) text += ',';
        text += name;
    }
    return text;
}

csv_row_reader::csv_row_reader(std::vector<std::string> column_names, std::string file_name)
    : names_(std::move(column_names)), file_name_(std::move(file_name)), values_(names_.size()) {}

std::string csv_row_reader::row_message(const std::string &what) const {
    return formatted_text(bad_row_text, file_name_.c_str(), line_number_, what.c_str());
}

std::string csv_row_reader::line_too_long_message() const {
    return formatted_text(bad_row_text, file_name_.c_str(), line_number_ + 1,
                          formatted_text(line_too_long_text, longest_line).c_str());
}

bool csv_row_reader::names_the_columns(std::size_t count) const {
    return count == names_.size() && std::equal(names_.begin(), names_.end(), fields_.begin());
}

// The first line is a header when it names the columns exactly, or when it is
// not all numbers (then it must be the header, and is refused).
bool csv_row_reader::is_header(std::size_t count) const {
    if (names_.empty()) return false;
    if (names_the_columns(count)) return true;
    return std::any_of(fields_.begin(), fields_.begin() + static_cast<std::ptrdiff_t>(count),
                       [](const std::string &field) { return !parse_number(field); });
}

csv_row_reader::line_kind csv_row_reader::take_line(std::string_view line, std::string &error) {
    const long long number = ++line_number_;
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // a UTF-8 byte-order mark
    std::size_t count = 0;
    std::string what;
    if (!split_fields(line, fields_, count, what)) {
        error = row_message(what);
        return line_kind::unusable;
    }
    if (number == 1 && is_header(count)) {
        if (names_the_columns(count)) return line_kind::header;
        error = row_message(formatted_text(row_neither_numbers_nor_header_text, joined_names(names_).c_str()));
        return line_kind::unusable;
    }
    if (count != names_.size()) {
        error = row_message(formatted_text(row_value_count_text, count, static_cast<int>(names_.size())));
        return line_kind::unusable;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = parse_number(fields_[i]);
        if (!value) {
            error = row_message(formatted_text(row_not_a_number_text, i + 1, shown(fields_[i]).c_str()));
            return line_kind::unusable;
        }
        values_[i] = *value;
    }
    return line_kind::row;
}

}  // namespace formeval
