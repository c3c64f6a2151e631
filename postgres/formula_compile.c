/* formula_compile(source text): the compile library in the server process.
   A source that does not compile raises formcomp's first message as the
   ERROR, its other messages as the detail. */
#include "postgres.h"

#include "fmgr.h"
#include "utils/builtins.h"

#include "formula_shim.h"
#include "formula_value.h"
#include "messages.h"

/* Frees the outcome's texts, after copying what the ERROR needs into palloc'd memory. */
static void raise_refusal(formula_compile_outcome outcome) {
    int code = outcome.status == formula_source_too_large ? ERRCODE_PROGRAM_LIMIT_EXCEEDED : ERRCODE_SYNTAX_ERROR;
    char *message = pstrdup(outcome.message);
    char *detail = outcome.detail ? pstrdup(outcome.detail) : NULL;
    formula_shim_free(outcome.message);
    formula_shim_free(outcome.detail);
    ereport(ERROR, (errcode(code), errmsg("%s", message), detail ? errdetail("%s", detail) : 0));
}

PG_FUNCTION_INFO_V1(formula_compile);
Datum formula_compile(PG_FUNCTION_ARGS) {
    text *source = PG_GETARG_TEXT_PP(0);
    formula_compile_outcome outcome = formula_shim_compile(VARDATA_ANY(source), VARSIZE_ANY_EXHDR(source));
    FormulaValue *volatile f = NULL;

    if (outcome.status == formula_out_of_memory)
        ereport(ERROR, (errcode(ERRCODE_OUT_OF_MEMORY), errmsg(FORMULA_OUT_OF_MEMORY)));
    if (outcome.status != formula_compiled) raise_refusal(outcome);
    PG_TRY();
    {
        f = formula_value_from_texts(outcome.symbol_text, (int) strlen(outcome.symbol_text), outcome.code_text,
                                     (int) strlen(outcome.code_text), ERRCODE_INTERNAL_ERROR);
    }
    PG_FINALLY();
    {
        formula_shim_free(outcome.symbol_text);
        formula_shim_free(outcome.code_text);
    }
    PG_END_TRY();
    PG_RETURN_POINTER(f);
}
