// The compile's messages. Every semantic error goes through report_error,
// which prints it on the run's standard output and marks the compile failed,
// as clox's errorAt sets hadError; syntax errors and scanner failures have
// their own entries. Each message is also kept with the place it is about,
// for the compile library, up to a number it may set.
#pragma once

#include "compiler/token.h"
#include "formula/formatted_text.h"

#include <cstddef>
#include <string>
#include <vector>

namespace formcomp {

enum class message_kind {
    semantic,         // through report_error: the compile fails, the parse goes on
    syntax,           // "syntax error" or "yacc stack overflow": the parse ends
    scanner_failure,  // on standard error: the run ends with exit code 2
};

struct compile_message {
    message_kind kind = message_kind::semantic;
    std::string text;  // exactly as printed, with its newline
    int line = 0;      // the line it prints ("linea N"); else the scanner's line then
    source_range where;                 // the token the message is about
    std::string found;                  // syntax errors: the token found
    std::vector<std::string> expected;  // and the tokens that could have stood there
};

// compile_ok of the run: 1 from start_compile until the first error.
int compile_ok();
void start_compile();

// Prints the message on standard output, keeps it with `where` and the line it
// is about, and clears compile_ok.
void report_error_text(const source_range &where, int line, std::string text);

// The same for a message whose printf format ends in "linea %d": the values,
// then the line.
template <typename... Values>
void report_error(const source_range &where, int line, const char *format, Values... values) {
    report_error_text(where, line, formula::formatted_text(format, values..., line));
}

// Clears compile_ok without a message, for an error already reported once
// (a table that stays full).
void mark_compile_failed();

// A table that ran full at the token `where`: its message, a format with the
// table's capacity and the line, the first time (`reported` then holds
// that); every later attempt clears compile_ok again without a message.
void report_full_table(bool &reported, const char *format, int capacity, const source_range &where);

// "%s: linea %d\n" on standard output for a parser error at the token
// `where`, with the token found and the tokens expected when they are known.
void report_parse_error(const char *message, const source_range &where, std::string found = {},
                        std::vector<std::string> expected = {});

// The message and a newline on standard error.
void report_scanner_failure(const char *message, const source_range &where);

// The most messages kept from here on, 0 until set (every one is printed
// all the same): past it, semantic messages are only counted; a syntax error
// or a scanner failure, which ends the parse, is always kept.
void keep_messages_up_to(std::size_t most);

// The messages of the run, in the order printed, handed over once (none are
// kept after), and how many were left out.
std::vector<compile_message> take_compile_messages();
std::size_t compile_messages_left_out();

void reset_diagnostics();

}  // namespace formcomp
