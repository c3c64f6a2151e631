// The variable table: variables and constants by name. var_count is the
// number of the next free entry; entry 0 is never used. A table that runs
// full is reported once, with the line, and the compile fails; nothing is
// stored past it.
#pragma once

#include "compiler/token.h"

namespace formcomp {

inline constexpr int var_capacity = 1024;  // symbols 1 to 1023

struct variable_entry {
    char name[token_text_size];
    int tipo;
    int scope;
};

enum class lookup_mode { define, use };

// The entry of `name` in the table. lookup_mode::define: a new entry with `tipo` when
// the name is missing, "ridefinita" when it names a variable already.
// lookup_mode::use: -1 and "non definita" when it is missing. Messages are about
// the token at `where`.
int lookup_variable(const char *name, lookup_mode mode, int tipo, const source_range &where);
int add_variable(const char *name, int tipo, const source_range &where);

int var_count();
const variable_entry &variable(int i);
void set_variable_scope(int i, int scope);

// Names of the variable and label tables: at most longest_token_text
// characters (the scanner reports longer ones).
void copy_name(char (&target)[token_text_size], const char *name);
bool same_name(const char (&entry)[token_text_size], const char *name);

// Every entry gone (var_count back to 1); the overflow report stays.
void empty_variables();
// Back to the state at process start.
void reset_variables();

// The three tables of a formula emptied after it is written: variables,
// labels and code with the patch stack.
void empty_tables();

}  // namespace formcomp
