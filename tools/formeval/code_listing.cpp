#include "tools/formeval/code_listing.h"

#include "formula/format.h"
#include "formula/listing.h"

namespace formeval {

std::string operand_text(const instruction_record &instruction, const std::vector<symbol_record> &symbols) {
    switch (instruction.kind) {
        case formula::Operatore:
            if (const char *name = formula::opcode_name(instruction.value)) return name;
            break;
        case formula::Operando:
            if (instruction.value >= 1 && static_cast<std::size_t>(instruction.value) <= symbols.size())
                return symbols[static_cast<std::size_t>(instruction.value) - 1].text;
            break;
        default:
            break;
    }
    return std::to_string(instruction.value);
}

std::string kind_text(int kind) {
    const char *name = formula::kind_name(kind);
    return name ? name : std::to_string(kind);
}

std::string list_compiled_formula(const std::string &symbol_text, const std::string &code_text) {
    const std::vector<symbol_record> symbols = read_symbol_records(symbol_text);
    std::string listing = formula::listing::variable_title;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        formula::listing::append_variable_line(listing, static_cast<int>(i + 1), symbols[i].tipo,
                                               symbols[i].scope, symbols[i].text);
    }
    listing += formula::listing::label_title;
    listing += formula::listing::instruction_title;
    const std::vector<instruction_record> code = read_instruction_records(code_text);
    for (std::size_t i = 0; i < code.size(); ++i) {
        formula::listing::append_instruction_line(listing, static_cast<int>(i + 1), kind_text(code[i].kind),
                                                  operand_text(code[i], symbols));
    }
    return listing;
}

}  // namespace formeval
