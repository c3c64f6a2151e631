#include "tools/formeval/loaded_formula.h"

#include "formula/format.h"

namespace formeval {

loaded_formula::loaded_formula(std::string symbol_text, std::string code_text)
    : symbol_text_(std::move(symbol_text)),
      code_text_(std::move(code_text)),
      symbols_(read_symbol_records(symbol_text_)),
      code_(read_instruction_records(code_text_)) {
    for (const symbol_record &symbol : symbols_) {
        if (symbol.tipo != formula::tipo_variable) continue;
        if (symbol.scope == formula::scope_input) input_names_.push_back(symbol.text);
        if (symbol.scope == formula::scope_output) output_name_ = symbol.text;
    }
}

}  // namespace formeval
