/* The formula type's stored form: a varlena holding the length of the
   symbol text, then the symbol text and the code text, each ended by a zero
   byte, so both reach the evaluator without a copy. */
#ifndef FORMULA_VALUE_H
#define FORMULA_VALUE_H

#include "postgres.h"

#include "fmgr.h"

typedef struct FormulaValue {
    int32 vl_len_; /* varlena header: never touch directly */
    int32 symbol_length;
    char texts[FLEXIBLE_ARRAY_MEMBER];
} FormulaValue;

/* The detoasted value of argument n, checked to be whole: a damaged datum
   raises an ERROR rather than leading a reader past its end. */
FormulaValue *formula_argument(FunctionCallInfo fcinfo, int n);

static inline const char *formula_symbol_text(const FormulaValue *f) { return f->texts; }

static inline const char *formula_code_text(const FormulaValue *f) { return f->texts + f->symbol_length + 1; }

static inline int32 formula_code_length(const FormulaValue *f) {
    return (int32) VARSIZE(f) - (int32) offsetof(FormulaValue, texts) - f->symbol_length - 2;
}

/* The name in the symbol text's header (8 columns, right-aligned), palloc'd. */
char *formula_value_name(const FormulaValue *f);

/* A new value from two texts, each checked as a compiled text with its
   header (an ERROR with `sqlstate` otherwise); a line end after the last
   record of either is dropped. */
FormulaValue *formula_value_from_texts(const char *symbols, int symbol_length, const char *code, int code_length,
                                       int sqlstate);

#endif
