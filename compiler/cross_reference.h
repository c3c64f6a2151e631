// What the grammar actions saw of names and statements, kept in source order
// for the compile library (compile.h): every declaration, assignment, read
// and isin test of a variable, every label definition and jump, and the
// place and kind of every statement. formcomp itself never reads it.
#pragma once

#include "compiler/token.h"

#include <string>
#include <vector>

namespace formcomp {

enum class name_role {
    declaration,       // in a declaration list
    assignment,        // NAME '=' ...
    read,              // in an expression
    flag_test,         // isin(NAME)
    label_definition,  // label NAME :
    jump,              // goto NAME
};

struct name_occurrence {
    std::string name;
    name_role role;
    int declaration_class;  // declarations: the class (formula::scope); else 0
    source_range where;
};

enum class statement_kind {
    jump,    // goto: control never falls through
    stop,    // return: control never falls through
    label,   // label NAME : a jump may land here
    branch,  // the "else" of an "if": the statements after it start a list of their own
    other,
};

struct statement_record {
    statement_kind kind;
    source_range where;  // from its first token to the end of its last
    // The code it generated: first_address, the address that was next when
    // its first token was read (its first instruction when it has any), up
    // to end_address, the address next when it ended. An "if" or a "while"
    // holds the code of the statements inside it; a statement that follows
    // "message" or "errmsg" directly may start at their INF or ERM, which
    // always run when it does.
    int first_address = 0;
    int end_address = 0;
};

void record_name(name_role role, const token_value &name, int declaration_class = 0);
void record_statement(statement_kind kind, const source_range &where, int first_address, int end_address);
// The formula's name: the first NAME of the source.
void record_formula_name(const token_value &name);

const std::vector<name_occurrence> &name_occurrences();
const std::vector<statement_record> &statement_records();
const token_value &recorded_formula_name();

void reset_cross_reference();

}  // namespace formcomp
