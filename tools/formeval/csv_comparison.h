// Two versions of a formula over the rows of one CSV file, both prepared
// once, as formeval --compare compares them and the playground's Compare
// shows them: the rows whose results differ, as CSV lines (the inputs, then
// OLD's result, NEW's, and NEW - OLD), and the summary of the run.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formeval/csv_row_reader.h"
#include "tools/formeval/loaded_formula.h"
#include "zerizi_prepared.h"

namespace formeval {

// A row whose results differ.
struct row_change {
    long long line = 0;  // the file's line number
    double before = 0.0;
    double after = 0.0;
    double difference = 0.0;  // after - before
};

class csv_comparison {
public:
    // The formulas take the same number of inputs; the header names OLD's.
    // `file_name` names the CSV file in messages; zero-divisor notices go to
    // `notices` (none when it is null).
    csv_comparison(const loaded_formula &old_formula, const loaded_formula &new_formula, std::string file_name,
                   double tolerance, std::FILE *notices);

    // The output's header line: the input names, then prima,dopo,differenza.
    std::string header() const;

    // The next line of the file. A row whose results differ (by more than
    // the tolerance) gets its output line appended to `out` and is
    // last_change() until the next line; false with a complete message in
    // `error` for a line that cannot be used.
    bool take_line(std::string_view line, std::string &out, std::string &error);
    const std::optional<row_change> &last_change() const noexcept { return last_change_; }

    // What formeval --compare says on standard error at the end: the rows
    // read, those that differ, the largest absolute and relative differences.
    std::string summary() const;

    csv_row_reader &reader() noexcept { return reader_; }
    long long rows() const noexcept { return rows_; }
    long long differing() const noexcept { return differing_; }

private:
    // The largest difference seen, and its row.
    struct largest_difference {
        double value = 0.0;
        long long row = 0;
        void take(double candidate, long long at);
    };

    zerizi::prepared_formula old_prepared_;
    zerizi::prepared_formula new_prepared_;
    csv_row_reader reader_;
    double tolerance_;
    std::FILE *notices_;
    std::vector<double> old_values_, new_values_;
    long long rows_ = 0;
    long long differing_ = 0;
    largest_difference absolute_, relative_;
    std::optional<row_change> last_change_;
};

}  // namespace formeval
