// The three exports of ZERIZI_PREPARED: a formula loaded once into an engine
// of its own and restarted before every evaluation.
#include "zerizi_prepared.h"

#include <string>

#include "evaluator/bounded_evaluation.h"
#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "evaluator/register_code.h"

// The texts are kept: the engine's variable names point into the symbol text.
// Code that can run on registers (register_code.h) is evaluated as its
// translation into steps; the engine evaluates the rest, and what the
// translation gives up on (a zero divisor).
struct PreparedFormula {
    std::string symbol_text;
    std::string code_text;
    zerizi::register_code registers;
    zerizi::engine engine;
};

namespace {

std::string copy_of(const char *text) { return text ? std::string(text) : std::string(); }

// The evaluation of code that is not translated, or whose translation gave up.
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
int run_on_engine(PreparedFormula *formula, double *values) noexcept {
    try {
        return zerizi::run_bound_code(zerizi::restarting_engine{formula->engine}, values);
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
            formula->engine.keep_start();
            formula->registers.translate(formula->engine);
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
    return formula->registers.run(values, zerizi::no_budget{},
                                  [formula](double *same) { return run_on_engine(formula, same); });
}

extern "C" FORMULA_EXPORT void FORMULA_CALL FormulaRelease(PreparedFormula *formula) {
    if (formula == nullptr) return;
    formula->engine.release_formula();
    delete formula;
}

// The engine's part is not bounded yet: only the steps on registers ask the budget.
int zerizi::evaluate_bounded(PreparedFormula *formula, double *values, const run_budget &budget) {
    if (formula == nullptr || values == nullptr) return 0;
    return formula->registers.run(values, budget, [formula](double *same) { return run_on_engine(formula, same); });
}
