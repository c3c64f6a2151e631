/* ZERIZI_PREPARED: a compiled formula prepared once and evaluated many times.

   For hosts that evaluate the same formula again and again (once per policy,
   per row, per screen refresh): FormulaPrepare loads the two texts once, and
   every FormulaEvaluate then gives exactly what a fresh call of Formula with
   the same texts and values gives, to the bit, at a fraction of its cost.
   Every evaluation starts over: constants at their literal (even after code
   that assigned to one), inout, static, local and output variables at 0.0,
   no flag of an earlier evaluation, an empty stack. A zero divisor shows the
   division message, as with Formula.

   Threads: a handle is used by one thread at a time (a host that shares one
   between threads serialises the calls itself); different handles may be
   evaluated on different threads at once. */
#ifndef ZERIZI_PREPARED_H
#define ZERIZI_PREPARED_H

#include <stdint.h>

#include "formula_export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PreparedFormula PreparedFormula;

/* texts: as for Formula, texts[0] the symbol text and texts[1] the code text,
   each zero-terminated and starting with its header; a null text reads as an
   empty one. The texts are copied: their buffers may be freed or rewritten
   after the call. Returns the handle, or null when texts is null or memory
   cannot be obtained. */
FORMULA_EXPORT PreparedFormula *FORMULA_CALL FormulaPrepare(const char *const *texts);

/* values: as for Formula, element 0 receives the output (left alone by a
   formula without an output variable), elements 1, 2, ... hold the inputs in
   symbol-file order. Returns the number of zero divisors the evaluation met
   (each showed the division message); 0 with a null handle or values. */
FORMULA_EXPORT int32_t FORMULA_CALL FormulaEvaluate(PreparedFormula *formula, double *values);

/* Frees the handle; a null handle is ignored. */
FORMULA_EXPORT void FORMULA_CALL FormulaRelease(PreparedFormula *formula);

#ifdef __cplusplus
}

#include <new>
#include <utility>

namespace zerizi {

/* Owns a prepared formula: prepared on construction (std::bad_alloc when
   memory cannot be obtained), released on destruction; movable, not copyable. */
class prepared_formula {
public:
    prepared_formula(const char *symbol_text, const char *code_text) {
        const char *texts[2] = {symbol_text, code_text};
        handle_ = FormulaPrepare(texts);
        if (handle_ == nullptr) throw std::bad_alloc();
    }
    prepared_formula(prepared_formula &&other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    prepared_formula &operator=(prepared_formula &&other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    prepared_formula(const prepared_formula &) = delete;
    prepared_formula &operator=(const prepared_formula &) = delete;
    ~prepared_formula() { FormulaRelease(handle_); }

    /* One evaluation, as FormulaEvaluate; returns the zero divisors met. */
    int evaluate(double *values) { return FormulaEvaluate(handle_, values); }

    PreparedFormula *handle() const noexcept { return handle_; }

private:
    PreparedFormula *handle_;
};

}  // namespace zerizi
#endif

#endif
