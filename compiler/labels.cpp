#include "compiler/labels.h"

#include "formula/formatted_text.h"

#include "compiler/code.h"
#include "compiler/cross_reference.h"
#include "compiler/diagnostics.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"
#include "compiler/tables.h"

#include "formula/format.h"

namespace formcomp {

namespace {

constexpr int end_of_chain = -1;

label_entry label_table[label_capacity];
int next_entry = 1;
bool labels_overflowed = false;
// Where each label was first named, for "non dichiarata".
source_range first_use[label_capacity];

// Sets every pending jump of the chain that starts at `newest` to `target`.
// The walk stays inside the code generated so far and takes at most one step
// per instruction; once the code table has run full the chain may miss links,
// and as nothing is written then, it is left alone.
void resolve_chain(int newest, int target) {
    if (code_overflowed()) return;
    int link = newest;
    for (int steps = 0; link >= 1 && link < code_count() && steps < code_count(); ++steps) {
        int older = instruction_at(link).value;
        patch_instruction(link, target);
        if (older == end_of_chain) break;
        link = older;
    }
}

}  // namespace

int lookup_label(const char *name, int address, label_lookup mode, const source_range &where) {
    for (int i = 1; i < next_entry; ++i) {
        if (same_name(label_table[i].name, name)) return i;
    }
    return mode == label_lookup::create ? add_label(name, address, where) : -1;
}

int add_label(const char *name, int address, const source_range &where) {
    if (next_entry >= label_capacity) {
        report_full_table(labels_overflowed, messages::too_many_labels, label_capacity - 1, where);
        return -1;
    }
    label_entry &entry = label_table[next_entry];
    copy_name(entry.name, name);
    entry.address = address;
    entry.declar = label_state::none;
    return next_entry++;
}

int label_count() {
    return next_entry;
}

const label_entry &label(int i) {
    return label_table[i];
}

void jump_to_label(const token_value &name) {
    record_name(name_role::jump, name);
    int i = lookup_label(name.text, 0, label_lookup::find);
    if (i == -1) {
        i = lookup_label(name.text, code_count(), label_lookup::create, name.where);
        if (i > 0) {
            label_table[i].declar = label_state::pending;
            first_use[i] = name.where;
        }
        emit_jump_to(formula::BR, end_of_chain);
    } else if (label_table[i].declar == label_state::defined) {
        emit_jump_to(formula::BR, label_table[i].address);
    } else {
        label_table[i].address = emit_jump_to(formula::BR, label_table[i].address);
    }
}

void define_label(const token_value &name) {
    record_name(name_role::label_definition, name);
    int next_address = code_count();
    int i = lookup_label(name.text, 0, label_lookup::find);
    if (i == -1) {
        i = lookup_label(name.text, next_address, label_lookup::create, name.where);
        if (i > 0) label_table[i].declar = label_state::defined;
    } else if (label_table[i].declar == label_state::pending) {
        int newest = label_table[i].address;
        label_table[i].address = next_address;
        label_table[i].declar = label_state::defined;
        resolve_chain(newest, next_address);
    } else {
        report_error(name.where, current_line(), messages::label_redefined, name.text);
    }
}

void check_labels() {
    for (int i = 1; i < next_entry; ++i) {
        if (label_table[i].declar != label_state::pending) continue;
        // Printed without a line; kept with the line where the formula ends.
        report_error_text(first_use[i], current_line(),
                          formula::formatted_text(messages::label_undeclared, label_table[i].name));
    }
}

void empty_labels() {
    next_entry = 1;
}

void reset_labels() {
    empty_labels();
    labels_overflowed = false;
}

}  // namespace formcomp
