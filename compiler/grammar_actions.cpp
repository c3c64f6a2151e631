#include "compiler/grammar_actions.h"

#include "compiler/console_output.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/output_files.h"
#include "compiler/process_state.h"
#include "compiler/tables.h"
#include "compiler/writers.h"

#include "formula/format.h"

#include <cstring>

namespace formcomp {

using formula::Operando;
using formula::Operatore;
using formula::Riferimento;

namespace {
constexpr int placeholder = -1;
}

void set_declaration_class(int scope) {
    current_class = scope;
}

void declare_name(const char *name) {
    int i = lookup_variable(name, mode_define, formula::tipo_variable);
    if (i > 0) var_table[i].scope = current_class;
}

void end_if() {
    patch_instruction(pop_patch(), code_count);
}

void begin_else() {
    int else_start = code_count + 2;
    patch_instruction(pop_patch(), else_start);
    emit_instruction(Riferimento, placeholder);
    push_patch(code_count - 1);
    emit_instruction(Operatore, formula::BR);
}

void begin_loop() {
    push_patch(code_count);
}

void end_loop() {
    int loop_exit = code_count + 2;
    patch_instruction(pop_patch(), loop_exit);
    int loop_start = pop_patch();
    emit_instruction(Riferimento, loop_start);
    emit_instruction(Operatore, formula::BR);
}

void assign(const char *name) {
    emit_instruction(Riferimento, lookup_variable(name, mode_use, 0));
    emit_instruction(Operatore, formula::ASSIGN);
}

void emit_operator(int opcode) {
    emit_instruction(Operatore, opcode);
}

void end_with_error_message() {
    emit_instruction(Operatore, formula::ERM);
    emit_instruction(Operatore, formula::STOP);
}

void push_number(const char *literal) {
    int i = lookup_variable(literal, mode_define, formula::tipo_constant);
    emit_instruction(Operando, i);
    if (i > 0) var_table[i].scope = formula::scope_input;
}

void push_name(const char *name) {
    emit_instruction(Operando, lookup_variable(name, mode_use, 0));
}

void condition_jump() {
    emit_instruction(Riferimento, placeholder);
    push_patch(code_count - 1);
    emit_instruction(Operatore, formula::BRF);
}

void negate_condition() {
    // LOGNOT alone is a bitwise complement (0 gives -1, 1 gives -2), both of
    // which BRF takes as true; keeping only the lowest bit makes it logical.
    emit_instruction(Operatore, formula::LOGNOT);
    emit_instruction(Riferimento, 1);
    emit_instruction(Operatore, formula::LOGAND);
}

void flag_test(const char *name) {
    int i = lookup_variable(name, mode_use, 0);
    if (i == -1 || var_table[i].tipo != formula::tipo_variable) {
        print_output(messages::not_a_variable, name, current_line);
        compile_ok = 0;
        i = -1;
    }
    emit_instruction(Riferimento, i);
    emit_instruction(Operatore, formula::LOGISIN);
}

void end_of_formula(const char *name) {
    emit_instruction(Operatore, formula::STOP);
    std::memcpy(formula_name, name, token_text_size);
    formula_name[token_text_size - 1] = '\0';
    // A name wider than the header's 8 columns would move the count out of
    // its place; without a header (-b) the host writes its own.
    if (write_header && std::strlen(formula_name) > formula::header_name_width) {
        print_output(messages::formula_name_too_long, formula_name, formula_name_line);
        compile_ok = 0;
    }
    check_labels();
    write_symbol_file(formula_name);
    write_code_file(formula_name);
    finish_output_files();
    empty_tables();
}

}  // namespace formcomp
