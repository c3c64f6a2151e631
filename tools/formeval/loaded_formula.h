// A compiled formula's names and records, read once from its two headered
// texts: what listing, the CSV modes and the playground's compile need. An
// evaluation on the engine goes through a formula_runner (formula_runner.h).
#pragma once

#include <string>
#include <vector>

#include "tools/formeval/compiled_files.h"

namespace formeval {

class loaded_formula {
public:
    // Headered texts (see has_header).
    loaded_formula(std::string symbol_text, std::string code_text);
    loaded_formula(const loaded_formula &) = delete;
    loaded_formula &operator=(const loaded_formula &) = delete;

    // The records as listed, record i at [i - 1].
    const std::vector<symbol_record> &symbols() const noexcept { return symbols_; }
    const std::vector<instruction_record> &code() const noexcept { return code_; }

    // The input variables' names in binding order (elements 1, 2, ... of the
    // value array).
    const std::vector<std::string> &input_names() const noexcept { return input_names_; }
    // The name of the output variable whose value reaches element 0 (the last
    // one in the symbol text), or an empty text when there is none.
    const std::string &output_name() const noexcept { return output_name_; }

    // The texts as loaded.
    const std::string &symbol_text() const noexcept { return symbol_text_; }
    const std::string &code_text() const noexcept { return code_text_; }

private:
    std::string symbol_text_;
    std::string code_text_;
    std::vector<symbol_record> symbols_;
    std::vector<instruction_record> code_;
    std::vector<std::string> input_names_;
    std::string output_name_;
};

}  // namespace formeval
