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

#include <string>
#include <string_view>
#include <vector>

namespace formcomp {

// The option letters of formcomp: -d and -b.
struct compile_settings {
    bool debug_listing = false;
    bool write_header = true;
};

enum class name_class {
    input = 1,  // the declaration classes, numbered as formula::scope
    output = 2,
    inout = 3,
    local = 4,
    static_variable = 5,
    label = 6,
    undeclared = 7,  // a variable used but never declared
};

struct name_use {
    name_role role;
    source_range where;
};

// A variable or a label: where it is declared (a label: its first
// "label NAME :"; line 0 when there is none) and every occurrence after that
// (further declarations included), in source order.
struct named_entity {
    std::string name;
    name_class kind = name_class::undeclared;
    source_range declaration;
    std::vector<name_use> uses;
};

struct compile_result {
    int exit_code = 0;       // formcomp's: 0 success, 1 compile error, 2 scanner failure
    bool succeeded = false;  // exit code 0
    std::string standard_output;  // everything formcomp prints there, "Parsing ok" included
    std::string standard_error;
    compiled_texts texts;  // names and contents of NAME.sym and NAME.obj, when written
    std::vector<compile_message> messages;
    token_value formula_name{};             // empty when the formula never ended
    std::vector<named_entity> variables;    // in order of declaration, then undeclared names
    std::vector<named_entity> labels;       // in order of first occurrence
    std::vector<statement_record> statements;  // in order of their end
};

compile_result compile_source(std::string_view source, const compile_settings &settings = {});

}  // namespace formcomp
