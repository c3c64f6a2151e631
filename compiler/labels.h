// The label table, jumps to labels and label definitions. Jumps to a label
// that is not yet defined form a chain through the code table: the label's
// address names the newest pending Riferimento, each pending Riferimento
// names the one before it, and the oldest holds -1. The definition walks the
// chain and fills in the label's address.
#pragma once

#include "compiler/token.h"

namespace formcomp {

inline constexpr int label_capacity = 64;  // labels 1 to 63

enum label_state : int { label_defined = 1, label_pending = 2 };
enum label_lookup_mode : int { label_create = 1, label_find = 2 };

struct label_entry {
    char name[token_text_size];
    int address;  // defined: its address; pending: the newest jump of its chain
    int declar;
};

// The entry of `name`; when it is missing, label_create adds it with
// `address`, any other mode returns -1.
int lookup_label(const char *name, int address, int mode);
int add_label(const char *name, int address);

int label_count();
const label_entry &label(int i);

// "goto NAME": Riferimento with the label's address (or a link of its chain), then BR.
void jump_to_label(const token_value &name);

// "label NAME :": the label names the address of the next instruction.
void define_label(const token_value &name);

// At the end of the formula: "non dichiarata" for every label still pending.
void check_labels();

// Every entry gone (label_count back to 1); the overflow report stays.
void empty_labels();
// Back to the state at process start.
void reset_labels();

}  // namespace formcomp
