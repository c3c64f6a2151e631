#include "compiler/tables.h"

#include "compiler/code.h"
#include "compiler/diagnostics.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "formula/format.h"

#include <cstring>

namespace formcomp {

namespace {

variable_entry var_table[var_capacity];
int next_entry = 1;
bool symbols_overflowed = false;

// Where each name of var_table stands (open addressing, 0 marks a free slot),
// so that a lookup does not compare the name with every entry. Names in
// var_table are unique, so it finds what a search in entry order finds.
constexpr int var_index_slots = 2 * var_capacity;
short var_index[var_index_slots];

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

}  // namespace

void copy_name(char (&target)[token_text_size], const char *name) {
    std::strncpy(target, name, token_text_size - 1);
    target[token_text_size - 1] = '\0';
}

bool same_name(const char (&entry)[token_text_size], const char *name) {
    return std::strncmp(entry, name, token_text_size) == 0;
}

int lookup_variable(const char *name, lookup_mode mode, int tipo, const source_range &where) {
    if (int i = index_slot(name); i != 0) {
        if (mode == lookup_mode::define && var_table[i].tipo != formula::tipo_constant) {
            report_error(where, current_line(), messages::variable_redefined, name);
        }
        return i;
    }
    if (mode == lookup_mode::define) return add_variable(name, tipo, where);
    // A name that found no room in a full table was reported with the table.
    if (symbols_overflowed) {
        mark_compile_failed();
    } else {
        report_error(where, current_line(), messages::variable_undefined, name);
    }
    return -1;
}

int add_variable(const char *name, int tipo, const source_range &where) {
    if (next_entry >= var_capacity) {
        report_full_table(symbols_overflowed, messages::too_many_symbols, var_capacity - 1, where);
        return -1;
    }
    variable_entry &entry = var_table[next_entry];
    copy_name(entry.name, name);
    entry.tipo = tipo;
    entry.scope = 0;
    index_slot(entry.name) = static_cast<short>(next_entry);
    return next_entry++;
}

int var_count() {
    return next_entry;
}

const variable_entry &variable(int i) {
    return var_table[i];
}

void set_variable_scope(int i, int scope) {
    if (i > 0) var_table[i].scope = scope;
}

void empty_variables() {
    next_entry = 1;
    std::memset(var_index, 0, sizeof var_index);
}

void reset_variables() {
    empty_variables();
    symbols_overflowed = false;
}

void empty_tables() {
    empty_variables();
    empty_code();
    empty_labels();
}

}  // namespace formcomp
