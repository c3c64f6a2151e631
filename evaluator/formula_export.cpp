// The one export of the library.
#include "zerizi.h"

#include "evaluator/execution.h"
#include "evaluator/text_machine.h"

namespace {

// Texts the text machine cannot hold are loaded into an engine, as a prepared
// formula's are, and run there. Kept out of Formula's own frame.
[[gnu::noinline]] void run_on_engine(double *values, const char *const *texts) {
    zerizi::engine engine;
    engine.load_formula(texts);
    zerizi::run_bound_code(engine, values);
}

}  // namespace

// Runs a fresh machine, which reads the two texts as the run starts and runs
// the code straight from the code text (texts too large for it run on the
// engine); nothing survives the call. Always returns 1. Null pointers, and
// tables too large for the memory available, leave element 0 unchanged.
extern "C" FORMULA_EXPORT int32_t FORMULA_CALL Formula(double *values, const char *const *texts) {
    if (values == nullptr || texts == nullptr) return 1;
    try {
        if (zerizi::run_bound_code(zerizi::text_source{texts}, values) == zerizi::not_started)
            run_on_engine(values, texts);
    } catch (...) {
        // Only an allocation can throw; the machine frees what it held as it goes.
    }
    return 1;
}
