// formeval --list: the compiled code of NAME.sym and NAME.obj printed as
// formcomp -d prints it when it compiles the formula: the variable listing
// (constants included), the label listing and the instruction listing. The
// compiled texts hold no labels, so the label listing is its title line alone.
#pragma once

#include <string>
#include <vector>

#include "tools/formeval/compiled_files.h"

namespace formeval {

// The listing's text for an instruction's value: the opcode's name for an
// Operatore, the symbol's text for an Operando, the number for a Riferimento.
// Values that name nothing (a number that is not an opcode, an index outside
// the symbol table, an unknown kind) are printed as their numbers.
std::string operand_text(const instruction_record &instruction, const std::vector<symbol_record> &symbols);

// The kind's name, or the number of a kind that has none.
std::string kind_text(int kind);

// The three listings of two headered texts.
std::string list_compiled_formula(const std::string &symbol_text, const std::string &code_text);

}  // namespace formeval
