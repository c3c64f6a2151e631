// The one export of the library.
#include "zerizi.h"

#include "evaluator/execution.h"
#include "evaluator/text_machine.h"

// Runs a fresh machine, which reads the two texts as the run starts and runs
// the code straight from the code text; nothing survives the call. Always
// returns 1. Null pointers, and tables too large for the memory available,
// leave element 0 unchanged.
extern "C" FORMULA_EXPORT int32_t FORMULA_CALL Formula(double *values, const char *const *texts) {
    if (values == nullptr || texts == nullptr) return 1;
    try {
        zerizi::run_bound_code(zerizi::text_source{texts}, values);
    } catch (...) {
        // Only an allocation can throw; the machine frees what it held as it goes.
    }
    return 1;
}
