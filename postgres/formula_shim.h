/* The C++ parts of the extension behind a C interface: the compiler, the
   checks of stored texts and the prepared formulas. No C++ exception leaves
   these functions, and none of them calls back into the server, so no
   longjmp crosses C++ frames. Texts they hand back are allocated with
   malloc: the caller copies them and frees them with formula_shim_free. */
#ifndef FORMULA_SHIM_H
#define FORMULA_SHIM_H

#include <stdbool.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void formula_shim_free(void *text);

/* How a compile ended. */
typedef enum formula_compile_status {
    formula_compiled,          /* symbol_text and code_text hold the texts */
    formula_source_refused,    /* message: formcomp's first message; detail: the others */
    formula_source_too_large,  /* the same, for a table or buffer that ran full */
    formula_out_of_memory
} formula_compile_status;

typedef struct formula_compile_outcome {
    formula_compile_status status;
    char *symbol_text;
    char *code_text;
    char *message;
    char *detail; /* null when there is one message */
} formula_compile_outcome;

/* Compiles a source as formcomp does, headers included, writing no file.
   The compiler keeps process-wide tables: one compile at a time. */
formula_compile_outcome formula_shim_compile(const char *source, size_t length);

/* Whether the text is a symbol text (symbols true) or a code text with its
   12-character header whose count of records all stand in the text, and no
   line end inside it. */
bool formula_shim_is_compiled_text(const char *text, size_t length, bool symbols);

/* The names of the input variables in order, each ended by a zero byte, one
   after the other; *count receives how many; null when memory ran out. */
char *formula_shim_input_names(const char *symbol_text, size_t length, int *count);

/* The output variable's name, or null when there is none (or memory ran out:
   *failed is set then). */
char *formula_shim_output_name(const char *symbol_text, size_t length, bool *failed);

typedef struct PreparedFormula PreparedFormula;

/* Prepares zero-terminated texts; *input_count and *has_output describe the
   symbols. Null when memory ran out. */
PreparedFormula *formula_shim_prepare(const char *symbol_text, const char *code_text, int *input_count,
                                      bool *has_output);

/* Returned by formula_shim_evaluate when go_on stopped the run. */
#define FORMULA_SHIM_STOPPED (-2)

/* Evaluates as FormulaEvaluate does (values[0] the result, values[1..] the
   inputs), asking go_on(context) every `instructions` instructions charged at
   jumps (code without jumps, which cannot repeat itself, never asks);
   returns the zero divisors met, or FORMULA_SHIM_STOPPED. A null go_on
   evaluates without a budget. */
int formula_shim_evaluate(PreparedFormula *formula, double *values, unsigned long instructions,
                          bool (*go_on)(void *context), void *context);

void formula_shim_release(PreparedFormula *formula);

/* formeval's texts that formula_evaluate shares: the input count (two %d:
   the formula's inputs, the inputs given) and the missing output variable
   (%s: the formula's name). */
const char *formula_shim_input_count_text(void);
const char *formula_shim_no_output_text(void);

/* The evaluator's division message, as its message box showed it last in
   this process: "Divisione per zero". */
const char *formula_shim_division_message(void);

#ifdef __cplusplus
}
#endif

#endif
