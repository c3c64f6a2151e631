// The three exports of ZERIZI_PREPARED: a formula loaded once into an engine
// of its own and restarted before every evaluation.
#include "zerizi_prepared.h"

#include <string>

#include "evaluator/bounded_evaluation.h"
#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "evaluator/straight_line_code.h"

// The texts are kept: the engine's variable names point into the symbol text.
// Code that runs straight to STOP is evaluated as its translation into steps
// on registers; the engine evaluates the rest, and what the translation gives
// up on (a zero divisor).
struct PreparedFormula {
    std::string symbol_text;
    std::string code_text;
    zerizi::straight_line_code straight_line;
    zerizi::engine engine;
};

namespace {

std::string copy_of(const char *text) { return text ? std::string(text) : std::string(); }

// The evaluation of code that is not translated, or whose translation gave
// up, or that runs under a budget (see evaluate_bounded).
template <typename Budget = zerizi::no_budget>
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
int run_on_engine(PreparedFormula *formula, double *values, Budget budget = Budget{}) noexcept {
    try {
        return zerizi::run_bound_code(formula->engine, values, zerizi::no_observer{}, budget);
    } catch (...) {
        // Only growing the stack can throw; the run ends there, as Formula's does.
        return 0;
    }
}

}  // namespace

extern "C" FORMULA_EXPORT PreparedFormula *FORMULA_CALL FormulaPrepare(const char *const *texts) {
    if (texts == nullptr) return nullptr;
    try {
        auto *formula = new PreparedFormula{copy_of(texts[0]), copy_of(texts[1]), {}, {}};
        const char *kept[2] = {formula->symbol_text.c_str(), formula->code_text.c_str()};
        try {
            formula->engine.load_formula(kept);
            formula->straight_line.translate(formula->engine);
            formula->engine.fuse_assignments();
        } catch (...) {
            delete formula;
            return nullptr;
        }
        return formula;
    } catch (...) {
        return nullptr;
    }
}

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL FormulaEvaluate(PreparedFormula *formula, double *values) {
    if (formula == nullptr || values == nullptr) return 0;
    return formula->straight_line.run(values, [formula](double *same) { return run_on_engine(formula, same); });
}

extern "C" FORMULA_EXPORT void FORMULA_CALL FormulaRelease(PreparedFormula *formula) {
    if (formula == nullptr) return;
    formula->engine.release_formula();
    delete formula;
}

// On the engine, which charges the budget at its jumps; the steps on
// registers have none.
int zerizi::evaluate_bounded(PreparedFormula *formula, double *values, const run_budget &budget) {
    if (formula == nullptr || values == nullptr) return 0;
    return run_on_engine(formula, values, budget);
}
