/* The formula grammar: an LALR(1) parser with one action per rule. The
   actions generate the code as each rule is reduced (grammar_actions.h). */

%code requires {
// What every shifted token carries: a copy of the token text and its place.
#include "compiler/token.h"
}

%code top {
/* The state stack holds at most 500 states. Bison reports exhaustion when a
   state lands in the last slot of its array, so the array has one slot more;
   it never grows. */
#define YYINITDEPTH 501
#define YYMAXDEPTH 501
/* So no stack is ever allocated: with alloca named as the way to allocate
   one, bison's free of a grown stack is empty, and GCC's
   -Wfree-nonheap-object no longer flags that dead code in unoptimised builds. */
#define YYSTACK_USE_ALLOCA 1
}



%code {
#include "compiler/grammar.h"

#include "compiler/code.h"
#include "compiler/cross_reference.h"
#include "compiler/diagnostics.h"
#include "compiler/grammar_actions.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "formula/format.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

/* A symbol stands from its first token to the end of its last, and keeps the
   code address of its first token; an empty one stands where the symbol
   before it ends, at the address that is next now. */
#define YYLLOC_DEFAULT(Current, Rhs, N)                                  \
    do {                                                                 \
        if (N) {                                                         \
            (Current).first_line = YYRHSLOC(Rhs, 1).first_line;          \
            (Current).first_column = YYRHSLOC(Rhs, 1).first_column;      \
            (Current).first_address = YYRHSLOC(Rhs, 1).first_address;    \
            (Current).last_line = YYRHSLOC(Rhs, N).last_line;            \
            (Current).last_column = YYRHSLOC(Rhs, N).last_column;        \
        } else {                                                         \
            (Current).first_line = (Current).last_line = YYRHSLOC(Rhs, 0).last_line;       \
            (Current).first_column = (Current).last_column = YYRHSLOC(Rhs, 0).last_column; \
            (Current).first_address = formcomp::code_count();            \
        }                                                                \
    } while (0)
namespace {
int yylex(YYSTYPE *value, YYLTYPE *location);
void yyerror(YYLTYPE *location, const char *message);
// A location of the parser as a source range (last_* is the end).
formcomp::source_range range_of(const YYLTYPE &location) {
    return {location.first_line, location.first_column, location.last_line, location.last_column};
}
// A statement's record: its place and the code it generated, from the
// address next when its first token was read to the address next now.
void record(formcomp::statement_kind kind, const YYLTYPE &location) {
    formcomp::record_statement(kind, range_of(location), location.first_address, formcomp::code_count());
}
}  // namespace

using namespace formcomp;
}

%define api.pure full
/* Every symbol carries where it stands: from the place of its first token to
   the end of its last, for the compile library's statement records. */
%locations
%define api.location.type {formcomp::parse_location}
/* Syntax errors are reported by yyreport_syntax_error, which also knows the
   token found and the tokens expected; the printed text stays "syntax error". */
%define parse.error custom
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
    : METHOD NAME decl_list PROC stmt_list ENDP  { end_of_formula($2); }
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
    : NAME  { declare_name($1); }
    ;

stmt_list
    : %empty
    | stmt_list stmt
    ;

else_mark : %empty  { int over_else = code_count(); begin_else(); record_statement(statement_kind::branch, token_range(), over_else, code_count()); } ;
loop_mark : %empty  { begin_loop(); } ;

stmt
    : assignment                                          { record(statement_kind::other, @$); }
    | IF condition THEN stmt_list END                     { end_if(); record(statement_kind::other, @$); }
    | IF condition THEN stmt_list else_mark ELSE stmt_list END  { end_if(); record(statement_kind::other, @$); }
    | WHILE loop_mark '(' condition ')' stmt_list END     { end_loop(); record(statement_kind::other, @$); }
    | GOTO NAME                                           { jump_to_label($2); record(statement_kind::jump, @$); }
    | LABEL NAME ':'                                      { define_label($2); record(statement_kind::label, @$); }
    | MESSAGE expr                                        { emit_operator(formula::INF); record(statement_kind::other, @$); }
    | ERRMSG expr                                         { end_with_error_message(); record(statement_kind::other, @$); }
    | RETURN                                              { emit_operator(formula::STOP); record(statement_kind::stop, @$); }
    ;

assignment
    : NAME '=' expr ';'  { assign($1); }
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
    | NUMBER                             { push_number($1); }
    | NAME                               { push_name($1); }
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
    | ISIN '(' NAME ')'    { flag_test($3); }
    ;

%%

namespace {

int last_token_code = 0;  // the code of the token read last, for the "found" of a syntax error

int yylex(YYSTYPE *value, YYLTYPE *location) {
    int token = next_token();
    last_token_code = token;
    std::memcpy(value->text, token_text(), sizeof value->text);
    value->where = token_range();
    if (token == NAME) note_name_token(*value, current_line());
    *location = {value->where.line, value->where.column, value->where.end_line, value->where.end_column, code_count()};
    return token;
}

// How a grammar symbol is shown to the author: a keyword as it is written, a
// character without its quotes, NAME and NUMBER by their names.
std::string shown_symbol(yysymbol_kind_t symbol) {
    if (symbol == YYSYMBOL_YYEOF) return "end of input";
    std::string name = yysymbol_name(symbol);
    if (name.size() == 3 && name.front() == '\'' && name.back() == '\'') return name.substr(1, 1);
    if (symbol == YYSYMBOL_NAME || symbol == YYSYMBOL_NUMBER) return name;
    for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The token that the parser found: its text as written.
std::string shown_found_token(yysymbol_kind_t symbol) {
    if (symbol == YYSYMBOL_NAME || symbol == YYSYMBOL_NUMBER) return token_text();
    if (symbol != YYSYMBOL_YYUNDEF) return shown_symbol(symbol);
    unsigned char byte = static_cast<unsigned char>(last_token_code);
    if (std::isprint(byte)) return std::string(1, static_cast<char>(byte));
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    return escaped;
}

// Bison reports a full stack as "memory exhausted".
void yyerror(YYLTYPE *, const char *message) {
    bool stack_full = std::strcmp(message, "memory exhausted") == 0;
    report_parse_error(stack_full ? messages::stack_overflow : messages::syntax_error, token_range());
}

}  // namespace

static int yyreport_syntax_error(const yypcontext_t *context) {
    yysymbol_kind_t expected[YYNTOKENS];
    int count = yypcontext_expected_tokens(context, expected, YYNTOKENS);
    std::vector<std::string> shown;
    for (int i = 0; i < count; ++i) shown.push_back(shown_symbol(expected[i]));
    report_parse_error(messages::syntax_error, token_range(), shown_found_token(yypcontext_token(context)),
                       std::move(shown));
    return 0;
}

namespace formcomp {

int parse_formula() {
    return yyparse() == 0 ? 0 : 1;
}

}  // namespace formcomp
