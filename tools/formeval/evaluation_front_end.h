// What every evaluation front end does around one evaluation, formeval's
// command line and the playground's requests alike: the typed inputs read and
// checked against the formula, and the value lines written in formeval's
// form. The trace itself is trace_evaluation (trace.h), with the caller's
// instruction limit.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace formeval {

// The typed inputs as numbers, `needed` of them (one per input variable).
// False with formeval's message (without "formeval: ") in `error` for a text
// that is not a number (the first one) or a wrong count.
bool read_inputs(std::span<const std::string_view> typed, int needed, std::vector<double> &inputs,
                 std::string &error);

// "PREFIX: NAME = VALUE\n", as a trace writes its inputs and assignments.
void append_value_line(std::string &out, const char *prefix, const std::string &name, double value);

// The result line of one evaluation ("42\n"), as formeval prints it.
std::string result_line(double value);

}  // namespace formeval
