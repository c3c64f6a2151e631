/* The formula grammar: an LALR(1) parser with one action per rule. The
   actions generate the code as each rule is reduced (grammar_actions.h). */

%code requires {
#include "compiler/process_state.h"

namespace formcomp {
// What every shifted token carries: a copy of token_text.
struct token_value {
    char text[token_text_size];
};
}  // namespace formcomp
}

%code top {
/* The state stack holds at most 500 states. Bison reports exhaustion when a
   state lands in the last slot of its array, so the array has one slot more;
   it never grows. */
#define YYINITDEPTH 501
#define YYMAXDEPTH 501
}

%code {
#include "compiler/grammar.h"

#include "compiler/grammar_actions.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "formula/format.h"

#include <cstring>

namespace {
int yylex(YYSTYPE *value);
void yyerror(const char *message);
}  // namespace

using namespace formcomp;
}

%define api.pure full
%define api.value.type {formcomp::token_value}
/* Default reductions only in states whose one action is a reduction: the
   actions that print a message with a line run before the next token is
   read, and the end-of-formula step writes both files before the token after
   "endp" is read. */
%define lr.default-reduction consistent

%token NUMBER 257 NAME 258
%token INPUT 259 OUTPUT 260 INOUT 261 LOCAL 262 STATIC 263
%token IF 264 THEN 265 ELSE 266 WHILE 267 GOTO 268 LABEL 269
%token METHOD 270 PROC 271 ENDP 272 END 273 MESSAGE 274 ERRMSG 275 RETURN 276
%token MOD 277 AND 278 OR 279 NOT 280
%token LE 281 LT 282 EQ 283 NE 284 GE 285 GT 286
%token ISIN 287 ROUND 288 CEIL 289 FLOOR 290

%left OR
%left AND
%precedence NOT
%left '+' '-'
%left '*' '/' '%' MOD
%precedence UMINUS

%start formula

%%

formula
    : METHOD NAME decl_list PROC stmt_list ENDP  { end_of_formula($2.text); }
    ;

decl_list
    : decl_list decl
    | decl
    ;

input_mark  : %empty  { set_declaration_class(formula::scope_input); } ;
output_mark : %empty  { set_declaration_class(formula::scope_output); } ;
inout_mark  : %empty  { set_declaration_class(formula::scope_inout); } ;
local_mark  : %empty  { set_declaration_class(formula::scope_local); } ;
static_mark : %empty  { set_declaration_class(formula::scope_static); } ;

decl
    : INPUT input_mark name_list ';'
    | OUTPUT output_mark name_list ';'
    | INOUT inout_mark name_list ';'
    | LOCAL local_mark name_list ';'
    | STATIC static_mark name_list ';'
    ;

name_list
    : name_list ',' decl_name
    | decl_name
    ;

decl_name
    : NAME  { declare_name($1.text); }
    ;

stmt_list
    : %empty
    | stmt_list stmt
    ;

else_mark : %empty  { begin_else(); } ;
loop_mark : %empty  { begin_loop(); } ;

stmt
    : assignment
    | IF condition THEN stmt_list END                     { end_if(); }
    | IF condition THEN stmt_list else_mark ELSE stmt_list END  { end_if(); }
    | WHILE loop_mark '(' condition ')' stmt_list END     { end_loop(); }
    | GOTO NAME                                           { jump_to_label($2.text); }
    | LABEL NAME ':'                                      { define_label($2.text); }
    | MESSAGE expr                                        { emit_operator(formula::INF); }
    | ERRMSG expr                                         { end_with_error_message(); }
    | RETURN                                              { emit_operator(formula::STOP); }
    ;

assignment
    : NAME '=' expr ';'  { assign($1.text); }
    ;

expr
    : '(' expr ')'
    | expr '+' expr                      { emit_operator(formula::PLUS); }
    | expr '-' expr                      { emit_operator(formula::MINUS); }
    | expr '*' expr                      { emit_operator(formula::MULT); }
    | expr MOD expr                      { emit_operator(formula::MODOPER); }
    | expr '/' expr                      { emit_operator(formula::DIV); }
    | expr '%' expr                      { emit_operator(formula::PERC); }
    | '-' expr %prec UMINUS              { emit_operator(formula::SIGN); }
    | NUMBER                             { push_number($1.text); }
    | NAME                               { push_name($1.text); }
    | ROUND '(' expr ',' expr ')'        { emit_operator(formula::ROUND); }
    | CEIL '(' expr ',' expr ')'         { emit_operator(formula::CEIL); }
    | FLOOR '(' expr ',' expr ')'        { emit_operator(formula::FLOOR); }
    ;

condition
    : logic  { condition_jump(); }
    ;

logic
    : '(' logic ')'
    | logic AND logic  { emit_operator(formula::LOGAND); }
    | logic OR logic   { emit_operator(formula::LOGOR); }
    | NOT logic        { negate_condition(); }
    | comparison
    ;

comparison
    : expr GT expr         { emit_operator(formula::LGT); }
    | expr LT expr         { emit_operator(formula::LLT); }
    | expr GE expr         { emit_operator(formula::LGE); }
    | expr LE expr         { emit_operator(formula::LLE); }
    | expr NE expr         { emit_operator(formula::LNE); }
    | expr EQ expr         { emit_operator(formula::LEQ); }
    | ISIN '(' NAME ')'    { flag_test($3.text); }
    ;

%%

namespace {

int yylex(YYSTYPE *value) {
    int token = next_token();
    if (token == formcomp::NAME && formula_name_line == 0) formula_name_line = current_line;
    std::memcpy(value->text, token_text, sizeof value->text);
    return token;
}

// Bison reports a full stack as "memory exhausted" and everything else as
// "syntax error".
void yyerror(const char *message) {
    bool stack_full = std::strcmp(message, "memory exhausted") == 0;
    report_parse_error(stack_full ? messages::stack_overflow : messages::syntax_error);
}

}  // namespace

namespace formcomp {

int parse_formula() {
    return yyparse() == 0 ? 0 : 1;
}

}  // namespace formcomp
