// The stored texts of a formula value: whether they are compiled texts, and
// the names of their input and output variables, read as formeval reads them.
#include "postgres/formula_shim.h"

#include <string>
#include <string_view>

#include "formula/format.h"
#include "postgres/shim_text_copy.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/messages.h"

using formula_postgres::malloc_copy;

extern "C" bool formula_shim_is_compiled_text(const char *text, size_t length, bool symbols) {
    const std::string_view view(text, length);
    if (view.find_first_of("\r\n") != std::string_view::npos) return false;
    try {
        return formeval::has_header(std::string(view),
                                    symbols ? formula::symbol_record_width : formula::instruction_record_width);
    } catch (...) {
        return false;
    }
}

extern "C" char *formula_shim_input_names(const char *symbol_text, size_t length, int *count) {
    *count = 0;
    try {
        std::string names;
        for (const formeval::symbol_record &record : formeval::read_symbol_records(std::string(symbol_text, length)))
            if (record.tipo == formula::tipo_variable && record.scope == formula::scope_input) {
                names += record.text;
                names += '\0';
                ++*count;
            }
        return malloc_copy(names);
    } catch (...) {
        *count = 0;
        return nullptr;
    }
}

extern "C" char *formula_shim_output_name(const char *symbol_text, size_t length, bool *failed) {
    *failed = false;
    try {
        for (const formeval::symbol_record &record : formeval::read_symbol_records(std::string(symbol_text, length)))
            if (record.tipo == formula::tipo_variable && record.scope == formula::scope_output) {
                char *name = malloc_copy(record.text);
                *failed = name == nullptr;
                return name;
            }
    } catch (...) {
        *failed = true;
    }
    return nullptr;
}

extern "C" const char *formula_shim_input_count_text(void) { return formeval::input_count_text; }

extern "C" const char *formula_shim_no_output_text(void) { return formeval::no_output_variable_text; }
