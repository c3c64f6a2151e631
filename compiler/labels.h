// The label table, jumps to labels and label definitions. Jumps to a label
// that is not yet defined form a chain through the code table: the label's
// address names the newest pending Riferimento, each pending Riferimento
// names the one before it, and the oldest holds -1. The definition walks the
// chain and fills in the label's address.
#pragma once

#include "compiler/token.h"

namespace formcomp {

inline constexpr int label_capacity = 64;  // labels 1 to 63

// A label's declar, as the -d listing prints it: 0 while it is being
// added, then defined or pending.
enum class label_state : int { none = 0, defined = 1, pending = 2 };
enum class label_lookup { create, find };

struct label_entry {
    char name[token_text_size];
    int address;  // defined: its address; pending: the newest jump of its chain
    label_state declar;
};

// The entry of `name`; when it is missing, label_lookup::create adds it with
// `address`, label_lookup::find returns -1. A full table is reported at `where`.
int lookup_label(const char *name, int address, label_lookup mode, const source_range &where = {});
int add_label(const char *name, int address, const source_range &where);

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
