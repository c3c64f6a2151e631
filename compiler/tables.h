// Operations on the variable, label and code tables and on patch_stack (the
// tables themselves are in process_state.h). Each count is the number of the
// next free entry; entry 0 is never used. A table that runs full is reported
// once, with the line, and the compile fails; nothing is stored past it.
#pragma once

namespace formcomp {

enum lookup_mode : int { mode_define = 1, mode_use = 2 };
enum label_lookup_mode : int { label_create = 1, label_find = 2 };

// The entry of `name` in var_table. mode_define: a new entry with `tipo` when
// the name is missing, "ridefinita" when it names a variable already. Any
// other mode: -1 and "non definita" when it is missing.
int lookup_variable(const char *name, int mode, int tipo);
int add_variable(const char *name, int tipo);

// The entry of `name` in label_table; when it is missing, label_create adds
// it with `address`, any other mode returns -1.
int lookup_label(const char *name, int address, int mode);
int add_label(const char *name, int address);

void emit_instruction(int kind, int value);
void push_patch(int address);
int pop_patch();

// Empties the four tables (every count back to 1, patch_stack to depth 0).
void empty_tables();

// Sets the value of instruction `address` (a placeholder being filled in).
void patch_instruction(int address, int value);

}  // namespace formcomp
