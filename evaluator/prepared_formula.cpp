// The three exports of ZERIZI_PREPARED: a formula loaded once into an engine
// of its own and restarted before every evaluation.
#include "zerizi_prepared.h"

#include <string>

#include "evaluator/bounded_evaluation.h"
#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "evaluator/register_code.h"

// The texts are kept: the engine's variable names point into the symbol text.
// Code that can run on registers (register_code.h, the base, so that an
// evaluation finds its steps at the handle itself) is evaluated as its
// translation into steps; the engine evaluates the rest, and what the
// translation gives up on (a zero divisor).
struct PreparedFormula : zerizi::register_code {
    PreparedFormula(const char *symbols, const char *code)
        : symbol_text(symbols ? symbols : ""), code_text(code ? code : "") {}
    std::string symbol_text;
    std::string code_text;
    zerizi::engine engine;
};

namespace {

// The evaluation of code that is not translated, or whose translation gave
// up, on the engine; under a budget for evaluate_bounded.
template <typename Budget = zerizi::no_budget>
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
int run_on_engine(zerizi::register_code &code, double *values, Budget budget = Budget{}) noexcept {
    try {
        return zerizi::run_bound_code(static_cast<PreparedFormula &>(code).engine, values, zerizi::no_observer{}, budget);
    } catch (...) {
        // Only growing the stack can throw; the run ends there, as Formula's does.
        return 0;
    }
}

// The same, as a callable without state, which costs an evaluation nothing to pass.
constexpr auto engine_instead = [](zerizi::register_code &code, double *values) noexcept {
    return run_on_engine(code, values);
};

}  // namespace

extern "C" FORMULA_EXPORT PreparedFormula *FORMULA_CALL FormulaPrepare(const char *const *texts) {
    if (texts == nullptr) return nullptr;
    try {
        auto *formula = new PreparedFormula(texts[0], texts[1]);
        const char *kept[2] = {formula->symbol_text.c_str(), formula->code_text.c_str()};
        try {
            formula->engine.load_formula(kept);
            formula->translate(formula->engine);
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
    return formula->run(values, zerizi::no_budget{}, engine_instead);
}

extern "C" FORMULA_EXPORT void FORMULA_CALL FormulaRelease(PreparedFormula *formula) {
    if (formula == nullptr) return;
    formula->engine.release_formula();
    delete formula;
}

// The steps on registers charge the budget at their jumps; what they give up
// on runs on the engine under the same budget.
int zerizi::evaluate_bounded(PreparedFormula *formula, double *values, const run_budget &budget) {
    if (formula == nullptr || values == nullptr) return 0;
    return formula->run(values, budget, [&budget](zerizi::register_code &code, double *same) noexcept {
        return run_on_engine(code, same, budget);
    });
}
