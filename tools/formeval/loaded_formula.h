// A compiled formula loaded once into the evaluator's engine and evaluated as
// often as needed. Each evaluation starts exactly as a fresh call of Formula
// does (engine::restart).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "tools/formeval/compiled_files.h"

namespace formeval {

class loaded_formula {
public:
    // Headered texts (see has_header); both are kept, since the engine's
    // variable names point into the symbol text.
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

    // The evaluation stack as the last evaluation left it.
    const zerizi::value_stack &stack() const noexcept { return engine_->stack(); }

    // One evaluation: values[0] receives the output, values[1 ..] hold one
    // element per input variable. Returns how many zero divisors it met, or
    // zerizi::stopped_by_budget (see execution.h for the observer and budget).
    template <typename Observer = zerizi::no_observer, typename Budget = zerizi::no_budget>
    int evaluate(double *values, Observer &&observer = Observer{}, const Budget &budget = Budget{}) {
        return zerizi::run_bound_code(*engine_, values, observer, budget);
    }

private:
    std::string symbol_text_;
    std::string code_text_;
    std::unique_ptr<zerizi::engine> engine_;
    std::vector<symbol_record> symbols_;
    std::vector<instruction_record> code_;
    std::vector<std::string> input_names_;
    std::string output_name_;
};

}  // namespace formeval
