// The compiler as a library: compiles a source held in memory and returns
// everything formcomp would have printed and written, each message with the
// place of its token, and the names the compiler worked out. It writes no
// files. Compiles run one after another in one process, each giving what a
// fresh formcomp run gives; the compiler is single-threaded, so two compiles
// must never run at the same time.
#pragma once

#include "compiler/cross_reference.h"
#include "compiler/diagnostics.h"
#include "compiler/output_files.h"
#include "compiler/token.h"

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace formcomp {

// No cap on the messages kept.
inline constexpr std::size_t all_messages = std::numeric_limits<std::size_t>::max();

struct compile_settings {
    bool debug_listing = false;  // formcomp's -d
    bool write_header = true;    // off: formcomp's -b
    // The most messages kept in compile_result::messages; the rest are only
    // counted. The message that ends the parse (a syntax error, a scanner
    // failure) is kept past it, and standard_output holds every message.
    std::size_t kept_messages = all_messages;
    // Off: standard_output and standard_error stay empty.
    bool keep_printed_text = true;
};

struct compile_result {
    int exit_code = 0;       // formcomp's: 0 success, 1 compile error, 2 scanner failure
    bool succeeded = false;  // exit code 0
    std::string standard_output;  // everything formcomp prints there, "Parsing ok" included
    std::string standard_error;
    compiled_texts texts;  // names and contents of NAME.sym and NAME.obj, when written
    std::vector<compile_message> messages;
    std::size_t messages_left_out = 0;      // past settings.kept_messages
    token_value formula_name{};             // the first NAME; empty when there is none
    std::vector<named_entity> variables;    // in order of declaration, then undeclared names
    std::vector<named_entity> labels;       // in order of first occurrence
    std::vector<statement_record> statements;  // in order of their end
};

compile_result compile_source(std::string_view source, const compile_settings &settings = {});

}  // namespace formcomp
