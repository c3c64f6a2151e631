// Jumps to labels and label definitions. Jumps to a label that is not yet
// defined form a chain through the code table: the label's address names the
// newest pending Riferimento, each pending Riferimento names the one before
// it, and the oldest holds -1. The definition walks the chain and fills in
// the label's address.
#pragma once

namespace formcomp {

// "goto NAME": Riferimento with the label's address (or a link of its chain), then BR.
void jump_to_label(const char *name);

// "label NAME :": the label names the address of the next instruction.
void define_label(const char *name);

// At the end of the formula: "non dichiarata" for every label still pending.
void check_labels();

}  // namespace formcomp
