#include "tools/formeval/formula_runner.h"

namespace formeval {

formula_runner::formula_runner(const loaded_formula &formula)
    : formula_(formula), engine_(std::make_unique<zerizi::engine>()) {
    const char *texts[2] = {formula_.symbol_text().c_str(), formula_.code_text().c_str()};
    engine_->load_formula(texts);
}

}  // namespace formeval
