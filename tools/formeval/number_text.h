// Numbers on formeval's command line and in its output, independent of the
// locale: a point is the decimal separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace formeval {

// A finite decimal or scientific number, with an optional sign ("21", "-0.5",
// "+1e3"); nothing else may follow it. "inf", "nan" and numbers beyond the
// range of a double are not numbers here.
std::optional<double> parse_number(std::string_view text);

// The shortest text that reads back as the same double ("42", "0.1", "1e+300").
std::string shortest_text(double value);

// The same, appended to `out` without a string of its own.
void append_shortest_text(std::string &out, double value);

// The shortest text that reads back as the same double, without an exponent
// for magnitudes from 1e-5 up to below 1e16 ("100000", not "1e+05"), as
// spreadsheets and people expect in a CSV file; other values as above.
void append_plain_number(std::string &out, double value);

}  // namespace formeval
