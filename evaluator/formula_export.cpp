// The one export of the library.
#include "zerizi.h"

#include "evaluator/engine.h"
#include "evaluator/execution.h"

// Loads the two texts into a fresh engine, runs the code and releases
// everything; nothing survives the call. Always returns 1. Null pointers, and
// tables too large for the memory available, leave element 0 unchanged.
extern "C" FORMULA_EXPORT int32_t FORMULA_CALL Formula(double *values, const char *const *texts) {
    if (values == nullptr || texts == nullptr) return 1;
    try {
        zerizi::engine engine;
        engine.load_formula(texts, values);
        zerizi::run_bound_code(engine, values);
    } catch (...) {
        // Only an allocation can throw; the engine frees what it held as it goes.
    }
    return 1;
}
