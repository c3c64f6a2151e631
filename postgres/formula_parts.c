/* The parts of a formula: its name, its two texts, the names of its input
   variables and of its output variable. */
#include "postgres.h"

#include "catalog/pg_type.h"
#include "fmgr.h"
#include "utils/array.h"
#include "utils/builtins.h"

#include "formula_shim.h"
#include "formula_value.h"
#include "messages.h"

char *formula_value_name(const FormulaValue *f) {
    const char *name = formula_symbol_text(f);
    int width = 8;
    while (width > 0 && *name == ' ') {
        ++name;
        --width;
    }
    return pnstrdup(name, (Size) width);
}

PG_FUNCTION_INFO_V1(formula_name);
Datum formula_name(PG_FUNCTION_ARGS) {
    PG_RETURN_TEXT_P(cstring_to_text(formula_value_name(formula_argument(fcinfo, 0))));
}

PG_FUNCTION_INFO_V1(formula_symbols);
Datum formula_symbols(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    PG_RETURN_TEXT_P(cstring_to_text_with_len(formula_symbol_text(f), f->symbol_length));
}

PG_FUNCTION_INFO_V1(formula_code);
Datum formula_code(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    PG_RETURN_TEXT_P(cstring_to_text_with_len(formula_code_text(f), formula_code_length(f)));
}

static void out_of_memory(void) {
    ereport(ERROR, (errcode(ERRCODE_OUT_OF_MEMORY), errmsg(FORMULA_OUT_OF_MEMORY)));
}

PG_FUNCTION_INFO_V1(formula_inputs);
Datum formula_inputs(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    int count;
    char *names = formula_shim_input_names(formula_symbol_text(f), (size_t) f->symbol_length, &count);
    Datum *elements;
    const char *name;
    int i;

    if (names == NULL) out_of_memory();
    elements = (Datum *) palloc(sizeof(Datum) * (Size) Max(count, 1));
    for (i = 0, name = names; i < count; ++i, name += strlen(name) + 1)
        elements[i] = PointerGetDatum(cstring_to_text(name));
    formula_shim_free(names);
    PG_RETURN_ARRAYTYPE_P(construct_array(elements, count, TEXTOID, -1, false, TYPALIGN_INT));
}

PG_FUNCTION_INFO_V1(formula_output);
Datum formula_output(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    bool failed;
    char *name = formula_shim_output_name(formula_symbol_text(f), (size_t) f->symbol_length, &failed);
    text *result;

    if (failed) out_of_memory();
    if (name == NULL) PG_RETURN_NULL();
    result = cstring_to_text(name);
    formula_shim_free(name);
    PG_RETURN_TEXT_P(result);
}
