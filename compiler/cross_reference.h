// What the grammar actions saw of names and statements, kept in source order
// for the compile library (compile.h): every declaration, assignment, read
// and isin test of a variable, every label definition and jump, and the
// place and kind of every statement. formcomp itself keeps none of it.
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

// From here until the next reset the records below are kept; formcomp's
// own runs keep none.
void start_cross_reference();

// An occurrence of a name, filed at once under its entity, so that a use
// costs one name_use and the name's text is held once. A use goes to the
// variable declared so far under its name, else to the undeclared name.
void record_name(name_role role, const token_value &name, int declaration_class = 0);
void record_statement(statement_kind kind, const source_range &where, int first_address, int end_address);
// The formula's name: the first NAME of the source.
void record_formula_name(const token_value &name);

// What the run recorded, handed over once (the records are left empty): the
// variables in order of declaration, then the undeclared names in order of
// first use; the labels in order of first occurrence; the statements in
// order of their end.
std::vector<named_entity> take_variables();
std::vector<named_entity> take_labels();
std::vector<statement_record> take_statement_records();
const token_value &recorded_formula_name();

void reset_cross_reference();

}  // namespace formcomp
