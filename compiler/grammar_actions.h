// The code that the grammar's rules generate, one function per action, in
// the order of the rules. Each appends its instructions to the code table
// when its rule is reduced, so expressions come out in postfix order.
#pragma once

#include "compiler/token.h"

namespace formcomp {

// The line of the first NAME, the formula's name (kept by the parser's
// token reader).
void note_name_token(int line);

// Declarations.
void set_declaration_class(int scope);
void declare_name(const token_value &name);

// Statements.
void end_if();                        // "if ... end": the condition's jump lands here
void begin_else();                    // before "else": jump over it, the condition's jump lands after
void begin_loop();                    // "while": remember where the condition starts
void end_loop();                      // "while ... end": jump back, the exit lands after
void assign(const token_value &name); // NAME '=' expr ';'
void emit_operator(int opcode);
void end_with_error_message();        // "errmsg expr": ERM then STOP

// Expressions.
void push_number(const token_value &literal);
void push_name(const token_value &name);

// Conditions.
void condition_jump();                // the jump past the guarded code, taken when false
void negate_condition();              // "not": 0 becomes 1 and 1 becomes 0
void flag_test(const token_value &name);

// The action of rule 1: STOP, label check, both files, tables emptied.
void end_of_formula(const token_value &name);

// Back to the state at process start.
void reset_grammar_actions();

}  // namespace formcomp
