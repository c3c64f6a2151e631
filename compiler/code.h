// The code table and the patch stack, and the emission of instructions and
// jumps (as Lua's lcode.c and clox's emitJump/patchJump). A jump is a
// Riferimento holding its target followed by the jump's Operatore (BR or
// BRF); a forward jump is emitted with a placeholder target, and its address
// is kept (on the patch stack, or in a label's chain) until patch_here or
// patch_instruction fills it in. Addresses count from 1; entry 0 is never
// used. A table that runs full is reported once, with the line, and the
// compile fails; nothing is stored past it.
#pragma once

#include "compiler/token.h"

namespace formcomp {

inline constexpr int code_capacity = 4096;  // instructions 1 to 4095
inline constexpr int patch_capacity = 50;   // entries on the patch stack

struct instruction {
    int kind;
    int value;
};

// The address that the next instruction gets (code_count).
int code_count();
const instruction &instruction_at(int address);
// True once an instruction found no room: addresses stored since may be wrong.
bool code_overflowed();

void emit_instruction(int kind, int value);

// Riferimento `target`, then Operatore `opcode`: returns the address of the
// Riferimento, or no_jump when the table had no room for it.
inline constexpr int no_jump = -1;
int emit_jump_to(int opcode, int target);
// The same with a placeholder target, to be patched later.
int emit_jump(int opcode);

// Sets the target of the jump at `at` to `target`; no_jump is ignored.
void patch_instruction(int at, int target);
// Sets the target of the jump at `at` to the next instruction's address.
void patch_here(int at);

// The jumps that wait for the end of an "if", "else" or "while", and the
// start addresses of the open loops. The two stacks share patch_capacity
// entries, so an open "if" holds one and an open "while" two. A push that
// finds no room is reported once and counted, so that its pop stays paired:
// that pop gives address 0, which nothing reads.
void push_patch(int address);
int pop_patch();
void push_loop_start(int address);
int pop_loop_start();

// Every instruction and patch gone (code_count back to 1); the overflow
// reports stay as they were.
void empty_code();
// Back to the state at process start.
void reset_code();

}  // namespace formcomp
