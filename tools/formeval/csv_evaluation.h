// formeval --csv without the files: takes the lines of the CSV file one by
// one and appends the output CSV. The first line may be a header that names
// the formula's input variables in their order; every other line is a row of
// one number per input variable, evaluated through the formula prepared once
// in ZERIZI_PREPARED, as a host that evaluates many rows does.
// The output starts with a header (the input names, then the output
// variable's name) and has one line per row: the inputs, then the output, all
// in the shortest form that reads back as the same double, without an
// exponent for everyday magnitudes (see append_plain_number).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formeval/loaded_formula.h"
#include "zerizi_prepared.h"

namespace formeval {

class csv_evaluator {
public:
    // `file_name` names the CSV file in messages; zero-divisor notices go to
    // `notices` (none when it is null).
    csv_evaluator(const loaded_formula &formula, std::string file_name, std::FILE *notices);

    // The output's header line.
    std::string header() const;

    // The next line of the file. Appends the output line of a row to `out`;
    // false with a complete message in `error` for a line that cannot be used.
    bool take_line(std::string_view line, std::string &out, std::string &error);

    // The message for a line longer than the reader accepts, at the next row.
    std::string line_too_long_message() const;

    long long rows_taken() const noexcept { return line_number_; }
    long long rows_evaluated() const noexcept { return rows_evaluated_; }

private:
    bool is_header(std::size_t count) const;
    std::string row_message(long long row, const std::string &what) const;

    const loaded_formula &formula_;
    zerizi::prepared_formula prepared_;
    std::string file_name_;
    std::FILE *notices_;
    long long line_number_ = 0;
    long long rows_evaluated_ = 0;
    std::vector<std::string> fields_;
    std::vector<double> values_;
};

}  // namespace formeval
