// printf-style output on the run's standard output and standard error, or
// into the strings that an in-process run (tests, fuzzing) captures them in.
#pragma once

#include <string>

namespace formcomp {

// Where the next prints go: null is the process's own stream.
void capture_console(std::string *output, std::string *errors);
void reset_console();
// Until the next capture_console or reset_console, prints go nowhere.
void discard_console();

void print_output(const char *format, ...) __attribute__((format(printf, 1, 2)));
void print_error(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace formcomp
