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

#include "tools/formeval/csv_row_reader.h"
#include "tools/formeval/loaded_formula.h"
#include "zerizi_prepared.h"

namespace formeval {

// The name of the output column: the output variable's, else "risultato".
std::string output_column_name(const loaded_formula &formula);

// One evaluation of a prepared formula for a row of inputs: element 0 of
// `values` receives the output. A zero divisor is noted on `notices` (when
// not null) with the reader's row, after the evaluator's own message.
void evaluate_row(zerizi::prepared_formula &prepared, std::span<const double> inputs, std::vector<double> &values,
                  const csv_row_reader &reader, std::FILE *notices);

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

    csv_row_reader &reader() noexcept { return reader_; }
    long long rows_evaluated() const noexcept { return rows_evaluated_; }

private:
    const loaded_formula &formula_;
    zerizi::prepared_formula prepared_;
    csv_row_reader reader_;
    std::FILE *notices_;
    long long rows_evaluated_ = 0;
    std::vector<double> values_;
};

}  // namespace formeval
