#include "compiler/grammar_actions.h"

#include "compiler/code.h"
#include "compiler/cross_reference.h"
#include "compiler/diagnostics.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/options.h"
#include "compiler/output_files.h"
#include "compiler/scanner.h"
#include "compiler/tables.h"
#include "compiler/writers.h"

#include "formula/format.h"

#include <cstring>

namespace formcomp {

using formula::Operando;
using formula::Operatore;
using formula::Riferimento;

namespace {

int current_class = 0;           // the class of the declaration being read
int formula_name_line = 0;       // where the formula's name stands
char formula_name[token_text_size] = {};

}  // namespace

void note_name_token(const token_value &name, int line) {
    if (formula_name_line != 0) return;
    formula_name_line = line;
    record_formula_name(name);
}

void set_declaration_class(int scope) {
    current_class = scope;
}

void declare_name(const token_value &name) {
    record_name(name_role::declaration, name, current_class);
    int i = lookup_variable(name.text, lookup_mode::define, formula::tipo_variable, name.where);
    set_variable_scope(i, current_class);
}

void end_if() {
    patch_here(pop_patch());
}

void begin_else() {
    int condition = pop_patch();
    int over_else = emit_jump(formula::BR);
    patch_here(condition);
    push_patch(over_else);
}

void begin_loop() {
    push_loop_start(code_count());
}

void end_loop() {
    int loop_exit = pop_patch();
    int loop_start = pop_loop_start();
    emit_jump_to(formula::BR, loop_start);
    patch_here(loop_exit);
}

void assign(const token_value &name) {
    record_name(name_role::assignment, name);
    emit_instruction(Riferimento, lookup_variable(name.text, lookup_mode::use, 0, name.where));
    emit_instruction(Operatore, formula::ASSIGN);
}

void emit_operator(int opcode) {
    emit_instruction(Operatore, opcode);
}

void end_with_error_message() {
    emit_instruction(Operatore, formula::ERM);
    emit_instruction(Operatore, formula::STOP);
}

void push_number(const token_value &literal) {
    int i = lookup_variable(literal.text, lookup_mode::define, formula::tipo_constant, literal.where);
    emit_instruction(Operando, i);
    set_variable_scope(i, formula::scope_input);
}

void push_name(const token_value &name) {
    record_name(name_role::read, name);
    emit_instruction(Operando, lookup_variable(name.text, lookup_mode::use, 0, name.where));
}

void condition_jump() {
    push_patch(emit_jump(formula::BRF));
}

void negate_condition() {
    // LOGNOT alone is a bitwise complement (0 gives -1, 1 gives -2), both of
    // which BRF takes as true; keeping only the lowest bit makes it logical.
    emit_instruction(Operatore, formula::LOGNOT);
    emit_instruction(Riferimento, 1);
    emit_instruction(Operatore, formula::LOGAND);
}

void flag_test(const token_value &name) {
    record_name(name_role::flag_test, name);
    int i = lookup_variable(name.text, lookup_mode::use, 0, name.where);
    if (i == -1 || variable(i).tipo != formula::tipo_variable) {
        report_error(name.where, current_line(), messages::not_a_variable, name.text);
        i = -1;
    }
    emit_instruction(Riferimento, i);
    emit_instruction(Operatore, formula::LOGISIN);
}

void end_of_formula(const token_value &name) {
    emit_instruction(Operatore, formula::STOP);
    std::memcpy(formula_name, name.text, token_text_size);
    formula_name[token_text_size - 1] = '\0';
    // A name wider than the header's columns would move the count out of
    // its place; without a header (-b) the host writes its own.
    if (flags().write_header && std::strlen(formula_name) > formula::header_name_width) {
        report_error(name.where, formula_name_line, messages::formula_name_too_long, formula_name,
                     static_cast<int>(formula::header_name_width));
    }
    check_labels();
    write_symbol_file(formula_name);
    write_code_file(formula_name);
    finish_output_files();
    empty_tables();
}

void reset_grammar_actions() {
    current_class = 0;
    formula_name_line = 0;
    std::memset(formula_name, 0, sizeof formula_name);
}

}  // namespace formcomp
