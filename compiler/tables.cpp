#include "compiler/tables.h"

#include "compiler/console_output.h"
#include "compiler/messages.h"
#include "compiler/process_state.h"

#include "formula/format.h"

#include <cstring>

namespace formcomp {

namespace {

// Names are at most 19 characters (the scanner reports longer ones).
void copy_name(char (&target)[token_text_size], const char *name) {
    std::strncpy(target, name, token_text_size - 1);
    target[token_text_size - 1] = '\0';
}

bool same_name(const char (&entry)[token_text_size], const char *name) {
    return std::strncmp(entry, name, token_text_size) == 0;
}

unsigned name_hash(const char *name) {
    unsigned hash = 2166136261u;
    for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
    return hash;
}

// The slot of var_index that holds `name`, or the free slot where it belongs.
short &index_slot(const char *name) {
    unsigned slot = name_hash(name) % var_index_slots;
    while (var_index[slot] != 0 && !same_name(var_table[var_index[slot]].name, name)) {
        slot = (slot + 1) % var_index_slots;
    }
    return var_index[slot];
}

// Reports a full table once per run; the compile fails.
void report_full_table(bool &reported, const char *message) {
    compile_ok = 0;
    if (reported) return;
    reported = true;
    print_output(message, current_line);
}

}  // namespace

int lookup_variable(const char *name, int mode, int tipo) {
    if (int i = index_slot(name); i != 0) {
        if (mode == mode_define && var_table[i].tipo != formula::tipo_constant) {
            print_output(messages::variable_redefined, name, current_line);
            compile_ok = 0;
        }
        return i;
    }
    if (mode == mode_define) return add_variable(name, tipo);
    // A name that found no room in a full table was reported with the table.
    if (!overflowed.symbols) print_output(messages::variable_undefined, name, current_line);
    compile_ok = 0;
    return -1;
}

int add_variable(const char *name, int tipo) {
    if (var_count >= var_capacity) {
        report_full_table(overflowed.symbols, messages::too_many_symbols);
        return -1;
    }
    variable_entry &entry = var_table[var_count];
    copy_name(entry.name, name);
    entry.tipo = tipo;
    entry.scope = 0;
    index_slot(entry.name) = static_cast<short>(var_count);
    return var_count++;
}

int lookup_label(const char *name, int address, int mode) {
    for (int i = 1; i < label_count; ++i) {
        if (same_name(label_table[i].name, name)) return i;
    }
    return mode == label_create ? add_label(name, address) : -1;
}

int add_label(const char *name, int address) {
    if (label_count >= label_capacity) {
        report_full_table(overflowed.labels, messages::too_many_labels);
        return -1;
    }
    label_entry &entry = label_table[label_count];
    copy_name(entry.name, name);
    entry.address = address;
    entry.declar = 0;
    return label_count++;
}

void emit_instruction(int kind, int value) {
    if (code_count >= code_capacity) {
        report_full_table(overflowed.instructions, messages::too_many_instructions);
        return;
    }
    code_table[code_count++] = instruction{kind, value};
}

void push_patch(int address) {
    if (patch_depth >= patch_capacity) {
        report_full_table(overflowed.nesting, messages::nesting_too_deep);
        ++overflowed.lost_patches;
        return;
    }
    patch_stack[patch_depth++] = address;
}

int pop_patch() {
    // The pops that match pushes which found no room: entry 0 takes the patch.
    if (overflowed.lost_patches > 0) {
        --overflowed.lost_patches;
        return 0;
    }
    if (patch_depth == 0) {
        print_output(messages::patch_stack_empty, current_line);
        compile_ok = 0;
        return 0;
    }
    return patch_stack[--patch_depth];
}

void empty_tables() {
    var_count = code_count = label_count = 1;
    patch_depth = 0;
    std::memset(var_index, 0, sizeof var_index);
}

void patch_instruction(int address, int value) {
    if (address >= 0 && address < code_capacity) code_table[address].value = value;
}

}  // namespace formcomp
