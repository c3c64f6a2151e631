// The scanner: turns the source into tokens for the parser, one per call,
// keeps current_line, and ends the run with exit code 2 when the input cannot
// be read or a lexeme does not fit its buffer. The state it works on
// (token_text, current_line, scanner_state, the buffer) is in process_state.h.
#pragma once

#include "compiler/tokens.h"

namespace formcomp {

// Thrown by scanner_fatal; the compile run turns it into exit code 2.
struct scanner_failure {};

// The next token's code; for NAME and NUMBER, token_text holds its text.
int next_token();

// "%s: linea %d\n" with the message and current_line, on standard output.
void report_parse_error(const char *message);

// The message and a newline on standard error, then the run ends with exit
// code 2 (by throwing scanner_failure to the run's boundary).
[[noreturn]] void scanner_fatal(const char *message);

}  // namespace formcomp
