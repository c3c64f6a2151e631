// The symbol file and the code file of a compiled formula, and the listings
// of option -d. Nothing is listed or written unless compile_ok() is 1.
#pragma once

namespace formcomp {

inline constexpr int operand_text_size = 28;

// Variable and label listings (with -d), then NAME.sym.
void write_symbol_file(const char *name);

// Instruction listing (with -d), then NAME.obj.
void write_code_file(const char *name);

// The listing's text for an instruction's value: the opcode's name for an
// Operatore, the symbol's text for an Operando, the number for a Riferimento
// (printed into `buffer`).
const char *operand_text(int kind, int value, char (&buffer)[operand_text_size]);

}  // namespace formcomp
