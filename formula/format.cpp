#include "formula/format.h"

#include "formula/formatted_text.h"

namespace formula {

const char *opcode_name(int code) noexcept {
    switch (code) {
#define FORMULA_OPCODE_NAME(name, number) \
    case name: return #name;
        FORMULA_OPCODES(FORMULA_OPCODE_NAME)
#undef FORMULA_OPCODE_NAME
        default: return nullptr;
    }
}

const char *kind_name(int kind) noexcept {
    switch (kind) {
        case Operatore: return "Operatore";
        case Operando: return "Operando";
        case Riferimento: return "Riferimento";
        default: return nullptr;
    }
}

void append_header(std::string &out, std::string_view name, int count) {
    append_formatted(out, "%8.*s%4d", static_cast<int>(name.size()), name.data(), count);
}

void append_symbol_record(std::string &out, int tipo, int scope, std::string_view text) {
    append_formatted(out, "%1d%1d%20.*s", tipo, scope, static_cast<int>(text.size()), text.data());
}

void append_instruction_record(std::string &out, int kind, int value) {
    append_formatted(out, "%1d%4d", kind, value);
}

}  // namespace formula
