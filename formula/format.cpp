#include "formula/format.h"

#include <cstdio>

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

namespace {

// snprintf into a string, however wide the result turns out to be.
template <typename... Args>
void append_formatted(std::string &out, const char *format, Args... args) {
    char small[64];
    int length = std::snprintf(small, sizeof small, format, args...);
    if (length < 0) return;
    if (static_cast<std::size_t>(length) < sizeof small) {
        out.append(small, static_cast<std::size_t>(length));
        return;
    }
    std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1);
    std::snprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args...);
    out.resize(start + static_cast<std::size_t>(length));
}

}  // namespace

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
