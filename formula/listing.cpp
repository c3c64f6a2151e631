#include "formula/listing.h"

#include "formula/formatted_text.h"

namespace formula::listing {

namespace {

int width(std::string_view text) { return static_cast<int>(text.size()); }
const char *chars(std::string_view text) { return text.empty() ? "" : text.data(); }

}  // namespace

void append_variable_line(std::string &out, int index, int tipo, int scope, std::string_view name) {
    append_formatted(out, "Var: # %3d %4d %5d %20.*s\n", index, tipo, scope, width(name), chars(name));
}

void append_label_line(std::string &out, int address, int declar, std::string_view name) {
    append_formatted(out, "Lab: %7d %6d %21.*s\n", address, declar, width(name), chars(name));
}

void append_instruction_columns(std::string &out, int address, std::string_view kind,
                                std::string_view operand) {
    append_formatted(out, "%3d %11.*s  %7.*s", address, width(kind), chars(kind), width(operand),
                     chars(operand));
}

void append_instruction_line(std::string &out, int address, std::string_view kind,
                             std::string_view operand) {
    out += "Pol: ";
    append_instruction_columns(out, address, kind, operand);
    out += '\n';
}

}  // namespace formula::listing
