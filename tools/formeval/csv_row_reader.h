// The rows of a CSV file as numbers, for every formeval mode that reads one
// (--csv, --check, --compare, --coverage): lines as csv_rows.h cuts them,
// then an optional first line that names the columns exactly, then rows of
// one number per column. A first line that is not all numbers must be that
// header. Messages name the file and the row (the line, counted from 1).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formeval/csv_rows.h"

namespace formeval {

class csv_row_reader {
public:
    csv_row_reader(std::vector<std::string> column_names, std::string file_name);

    // The next line: a row, whose numbers row() then gives (a blank line is
    // a row of no numbers), the header, or a line that cannot be used, with a
    // complete message in `error`.
    enum class line_kind { row, header, unusable };
    line_kind take_line(std::string_view line, std::string &error);
    std::span<const double> row() const noexcept { return values_; }

    // The message for a line longer than the reader accepts, at the next row.
    std::string line_too_long_message() const;
    // "FILE, riga N: what", for the row read last.
    std::string row_message(const std::string &what) const;

    long long line_number() const noexcept { return line_number_; }
    const std::vector<std::string> &column_names() const noexcept { return names_; }

private:
    bool is_header(std::size_t count) const;
    bool names_the_columns(std::size_t count) const;

    std::vector<std::string> names_;
    std::string file_name_;
    long long line_number_ = 0;
    std::vector<std::string> fields_;
    std::vector<double> values_;
};

// The names joined by commas, as a CSV header line has them.
std::string joined_names(const std::vector<std::string> &names);

}  // namespace formeval
