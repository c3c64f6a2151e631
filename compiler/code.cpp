#include "compiler/code.h"

#include "compiler/diagnostics.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "formula/format.h"

namespace formcomp {

namespace {

constexpr int placeholder = -1;

instruction code_table[code_capacity];
int next_address = 1;
int patch_stack[patch_capacity];
int patch_depth = 0;
bool instructions_overflowed = false;
bool nesting_overflowed = false;
int lost_patches = 0;

}  // namespace

int code_count() {
    return next_address;
}

const instruction &instruction_at(int address) {
    return code_table[address];
}

bool code_overflowed() {
    return instructions_overflowed;
}

void emit_instruction(int kind, int value) {
    if (next_address >= code_capacity) {
        report_full_table(instructions_overflowed, messages::too_many_instructions, code_capacity - 1);
        return;
    }
    code_table[next_address++] = instruction{kind, value};
}

int emit_jump_to(int opcode, int target) {
    int at = next_address < code_capacity ? next_address : no_jump;
    emit_instruction(formula::Riferimento, target);
    emit_instruction(formula::Operatore, opcode);
    return at;
}

int emit_jump(int opcode) {
    return emit_jump_to(opcode, placeholder);
}

void patch_instruction(int at, int target) {
    if (at >= 0 && at < code_capacity) code_table[at].value = target;
}

void patch_here(int at) {
    patch_instruction(at, next_address);
}

void push_patch(int address) {
    if (patch_depth >= patch_capacity) {
        report_full_table(nesting_overflowed, messages::nesting_too_deep, patch_capacity);
        ++lost_patches;
        return;
    }
    patch_stack[patch_depth++] = address;
}

int pop_patch() {
    if (lost_patches > 0) {
        --lost_patches;
        return 0;
    }
    if (patch_depth == 0) {
        report_error(token_range(), messages::patch_stack_empty, current_line());
        return 0;
    }
    return patch_stack[--patch_depth];
}

void empty_code() {
    next_address = 1;
    patch_depth = 0;
}

void reset_code() {
    empty_code();
    instructions_overflowed = nesting_overflowed = false;
    lost_patches = 0;
}

}  // namespace formcomp
