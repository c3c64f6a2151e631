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
bool instructions_overflowed = false;
bool nesting_overflowed = false;

// A stack of addresses; a push that found no room is counted, so that the
// pop paired with it gives address 0, which nothing reads.
struct address_stack {
    int entries[patch_capacity];
    int depth = 0;
    int lost = 0;
};
address_stack patch_stack;   // the jumps that wait for their target
address_stack loop_starts;   // where the open loops' conditions start

// The two stacks share the room of one: an open "if" holds one entry, an
// open "while" two (its start and its exit jump).
void push_address(address_stack &stack, int address) {
    if (patch_stack.depth + loop_starts.depth >= patch_capacity) {
        report_full_table(nesting_overflowed, messages::nesting_too_deep, patch_capacity, token_range());
        ++stack.lost;
        return;
    }
    stack.entries[stack.depth++] = address;
}

int pop_address(address_stack &stack) {
    if (stack.lost > 0) {
        --stack.lost;
        return 0;
    }
    if (stack.depth == 0) {
        report_error(token_range(), current_line(), messages::patch_stack_empty);
        return 0;
    }
    return stack.entries[--stack.depth];
}

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
        report_full_table(instructions_overflowed, messages::too_many_instructions, code_capacity - 1, token_range());
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
    push_address(patch_stack, address);
}

int pop_patch() {
    return pop_address(patch_stack);
}

void push_loop_start(int address) {
    push_address(loop_starts, address);
}

int pop_loop_start() {
    return pop_address(loop_starts);
}

void empty_code() {
    next_address = 1;
    patch_stack.depth = loop_starts.depth = 0;
}

void reset_code() {
    empty_code();
    instructions_overflowed = nesting_overflowed = false;
    patch_stack.lost = loop_starts.lost = 0;
}

}  // namespace formcomp
