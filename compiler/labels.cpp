#include "compiler/labels.h"

#include "compiler/console_output.h"
#include "compiler/messages.h"
#include "compiler/process_state.h"
#include "compiler/tables.h"

#include "formula/format.h"

namespace formcomp {

namespace {

constexpr int end_of_chain = -1;

// Sets every pending jump of the chain that starts at `newest` to `target`.
// The walk stays inside the code generated so far and takes at most one step
// per instruction; once the code table has run full the chain may miss links,
// and as nothing is written then, it is left alone.
void resolve_chain(int newest, int target) {
    if (overflowed.instructions) return;
    int link = newest;
    for (int steps = 0; link >= 1 && link < code_count && steps < code_count; ++steps) {
        int older = code_table[link].value;
        code_table[link].value = target;
        if (older == end_of_chain) break;
        link = older;
    }
}

}  // namespace

void jump_to_label(const char *name) {
    int i = lookup_label(name, 0, label_find);
    if (i == -1) {
        i = lookup_label(name, code_count, label_create);
        if (i > 0) label_table[i].declar = label_pending;
        emit_instruction(formula::Riferimento, end_of_chain);
    } else if (label_table[i].declar == label_defined) {
        emit_instruction(formula::Riferimento, label_table[i].address);
    } else {
        emit_instruction(formula::Riferimento, label_table[i].address);
        label_table[i].address = code_count - 1;
    }
    emit_instruction(formula::Operatore, formula::BR);
}

void define_label(const char *name) {
    int next_address = code_count;
    int i = lookup_label(name, 0, label_find);
    if (i == -1) {
        i = lookup_label(name, next_address, label_create);
        if (i > 0) label_table[i].declar = label_defined;
    } else if (label_table[i].declar == label_pending) {
        int newest = label_table[i].address;
        label_table[i].address = next_address;
        label_table[i].declar = label_defined;
        resolve_chain(newest, next_address);
    } else {
        print_output(messages::label_redefined, name, current_line);
        compile_ok = 0;
    }
}

void check_labels() {
    for (int i = 1; i < label_count; ++i) {
        if (label_table[i].declar != label_pending) continue;
        print_output(messages::label_undeclared, label_table[i].name);
        compile_ok = 0;
    }
}

}  // namespace formcomp
