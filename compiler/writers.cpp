#include "compiler/writers.h"

#include "compiler/console_output.h"
#include "compiler/output_files.h"
#include "compiler/code.h"
#include "compiler/diagnostics.h"
#include "compiler/labels.h"
#include "compiler/options.h"
#include "compiler/tables.h"

#include "formula/format.h"
#include "formula/listing.h"

#include <cstdio>
#include <string>

namespace formcomp {

namespace {

void print_variable_and_label_listings() {
    std::string listing = formula::listing::variable_title;
    for (int i = 1; i < var_count(); ++i) {
        const variable_entry &entry = variable(i);
        formula::listing::append_variable_line(listing, i, entry.tipo, entry.scope, entry.name);
    }
    listing += formula::listing::label_title;
    for (int i = 1; i < label_count(); ++i) {
        const label_entry &entry = label(i);
        formula::listing::append_label_line(listing, entry.address, static_cast<int>(entry.declar), entry.name);
    }
    print_output("%s", listing.c_str());
}

void print_instruction_listing() {
    std::string listing = formula::listing::instruction_title;
    for (int i = 1; i < code_count(); ++i) {
        char buffer[operand_text_size];
        const instruction &code = instruction_at(i);
        const char *kind = formula::kind_name(code.kind);
        formula::listing::append_instruction_line(listing, i, kind ? kind : "",
                                                  operand_text(code.kind, code.value, buffer));
    }
    print_output("%s", listing.c_str());
}

}  // namespace

const char *operand_text(int kind, int value, char (&buffer)[operand_text_size]) {
    switch (kind) {
        case formula::Operatore: {
            const char *name = formula::opcode_name(value);
            return name ? name : "";
        }
        case formula::Operando:
            return value >= 1 && value < var_count() ? variable(value).name : "";
        case formula::Riferimento:
            std::snprintf(buffer, sizeof buffer, "%d", value);
            return buffer;
        default:
            return "";
    }
}

void write_symbol_file(const char *name) {
    if (compile_ok() != 1) return;
    if (flags().debug_listing) print_variable_and_label_listings();
    std::string text;
    if (flags().write_header) formula::append_header(text, name, var_count() - 1);
    for (int i = 1; i < var_count(); ++i) {
        const variable_entry &entry = variable(i);
        formula::append_symbol_record(text, entry.tipo, entry.scope, entry.name);
    }
    stage_output_file(output_kind::symbols, std::string(name) + ".sym", text);
}

void write_code_file(const char *name) {
    if (compile_ok() != 1) return;
    if (flags().debug_listing) print_instruction_listing();
    std::string text;
    if (flags().write_header) formula::append_header(text, name, code_count() - 1);
    for (int i = 1; i < code_count(); ++i) {
        const instruction &code = instruction_at(i);
        formula::append_instruction_record(text, code.kind, code.value);
    }
    stage_output_file(output_kind::code, std::string(name) + ".obj", text);
}

}  // namespace formcomp
