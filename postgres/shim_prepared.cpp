// formula_evaluate's C++ side: prepared formulas evaluated under a budget
// whose go_on is the server's interrupt check (it only reads flags).
#include "postgres/formula_shim.h"

#include <cstdlib>
#include <string>

#include "evaluator/bounded_evaluation.h"
#include "postgres/shim_text_copy.h"
#include "tools/formeval/compiled_files.h"
#include "zerizi_prepared.h"

static_assert(FORMULA_SHIM_STOPPED == zerizi::stopped_by_budget);

extern "C" void formula_shim_free(void *text) { std::free(text); }

extern "C" PreparedFormula *formula_shim_prepare(const char *symbol_text, const char *code_text, int *input_count,
                                                 bool *has_output) {
    try {
        const std::string symbols(symbol_text);
        *input_count = formeval::count_input_variables(symbols);
        *has_output = formeval::has_output_variable(symbols);
    } catch (...) {
        return nullptr;
    }
    const char *texts[2] = {symbol_text, code_text};
    return FormulaPrepare(texts);  // catches everything itself
}

extern "C" int formula_shim_evaluate(PreparedFormula *formula, double *values, unsigned long instructions,
                                     bool (*go_on)(void *context), void *context) {
    try {
        if (go_on == nullptr) return FormulaEvaluate(formula, values);
        return zerizi::evaluate_bounded(formula, values, zerizi::run_budget{instructions, go_on, context});
    } catch (...) {
        // The evaluator catches its own failures; nothing may reach the server.
        return 0;
    }
}

extern "C" void formula_shim_release(PreparedFormula *formula) { FormulaRelease(formula); }
