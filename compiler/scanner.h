// The scanner: turns the source into tokens for the parser, one per call,
// keeps the line counter, and ends the run with exit code 2 when the input
// cannot be read or a lexeme does not fit its buffer. Its state (the buffer,
// the token text, the line and column, the comment state) lives in
// scanner.cpp.
#pragma once

#include "compiler/grammar_tokens.hpp"
#include "compiler/input_source.h"
#include "compiler/token.h"

namespace formcomp {

// Thrown by scanner_fatal; the compile run turns it into exit code 2.
struct scanner_failure {};

// Where the next compile reads its source; null: standard input.
void set_scanner_input(input_source *source);

// Back to the state at process start: line 1, no buffer, standard input.
void reset_scanner();

// The next token's code (yytokentype of the grammar, a character, or 0 at
// the end of the input); for NAME and NUMBER, token_text() holds its text.
int next_token();

const char *token_text();
int current_line();
// Where the token that next_token returned last stands; at the end of the
// input, the empty range where the input ended.
const source_range &token_range();

// The message and a newline on standard error, then the run ends with exit
// code 2 (by throwing scanner_failure to the run's boundary).
[[noreturn]] void scanner_fatal(const char *message);

}  // namespace formcomp
