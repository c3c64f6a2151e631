/* The type formula: a compiled formula's symbol text and code text. Its text
   form is the symbol text, a line end, and the code text (formcomp writes
   each as one line); its binary form is the two texts, each as a length and
   its bytes. Every way in checks the texts as formeval does, so a stored
   value always holds two headered texts with all the records they count. */
#include "postgres.h"

#include "fmgr.h"
#include "libpq/pqformat.h"
#include "utils/builtins.h"

#include "formula_shim.h"
#include "formula_value.h"
#include "messages.h"

PG_MODULE_MAGIC;

FormulaValue *formula_argument(FunctionCallInfo fcinfo, int n) {
    FormulaValue *f = (FormulaValue *) PG_DETOAST_DATUM(PG_GETARG_DATUM(n));
    int32 texts_length = (int32) VARSIZE_ANY(f) - (int32) offsetof(FormulaValue, texts);
    if (VARATT_IS_SHORT(f) || texts_length < 2 || f->symbol_length < 0 || f->symbol_length > texts_length - 2 ||
        f->texts[f->symbol_length] != '\0' || f->texts[texts_length - 1] != '\0')
        ereport(ERROR, (errcode(ERRCODE_DATA_CORRUPTED), errmsg(FORMULA_DAMAGED_VALUE)));
    return f;
}

static int without_line_end(const char *text, int length) {
    if (length > 0 && text[length - 1] == '\n') --length;
    if (length > 0 && text[length - 1] == '\r') --length;
    return length;
}

FormulaValue *formula_value_from_texts(const char *symbols, int symbol_length, const char *code, int code_length,
                                       int sqlstate) {
    FormulaValue *f;
    Size size;

    symbol_length = without_line_end(symbols, symbol_length);
    code_length = without_line_end(code, code_length);
    if (!formula_shim_is_compiled_text(symbols, (size_t) symbol_length, true))
        ereport(ERROR, (errcode(sqlstate), errmsg(FORMULA_INVALID_SYMBOL_TEXT)));
    if (!formula_shim_is_compiled_text(code, (size_t) code_length, false))
        ereport(ERROR, (errcode(sqlstate), errmsg(FORMULA_INVALID_CODE_TEXT)));

    size = offsetof(FormulaValue, texts) + (Size) symbol_length + (Size) code_length + 2;
    f = (FormulaValue *) palloc(size);
    SET_VARSIZE(f, size);
    f->symbol_length = symbol_length;
    memcpy(f->texts, symbols, (size_t) symbol_length);
    f->texts[symbol_length] = '\0';
    memcpy(f->texts + symbol_length + 1, code, (size_t) code_length);
    f->texts[symbol_length + 1 + code_length] = '\0';
    return f;
}

PG_FUNCTION_INFO_V1(formula_in);
Datum formula_in(PG_FUNCTION_ARGS) {
    const char *text = PG_GETARG_CSTRING(0);
    const char *line_end = strchr(text, '\n');
    if (line_end == NULL)
        ereport(ERROR, (errcode(ERRCODE_INVALID_TEXT_REPRESENTATION), errmsg(FORMULA_MISSING_CODE_LINE)));
    PG_RETURN_POINTER(formula_value_from_texts(text, (int) (line_end - text) + 1, line_end + 1,
                                               (int) strlen(line_end + 1), ERRCODE_INVALID_TEXT_REPRESENTATION));
}

PG_FUNCTION_INFO_V1(formula_out);
Datum formula_out(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    PG_RETURN_CSTRING(psprintf("%s\n%s", formula_symbol_text(f), formula_code_text(f)));
}

PG_FUNCTION_INFO_V1(formula_recv);
Datum formula_recv(PG_FUNCTION_ARGS) {
    StringInfo message = (StringInfo) PG_GETARG_POINTER(0);
    int symbol_length = pq_getmsgint(message, 4);
    const char *symbols;
    int code_length;
    const char *code;

    if (symbol_length < 0)
        ereport(ERROR, (errcode(ERRCODE_INVALID_BINARY_REPRESENTATION), errmsg(FORMULA_INVALID_SYMBOL_TEXT)));
    symbols = pq_getmsgbytes(message, symbol_length);
    code_length = pq_getmsgint(message, 4);
    if (code_length < 0)
        ereport(ERROR, (errcode(ERRCODE_INVALID_BINARY_REPRESENTATION), errmsg(FORMULA_INVALID_CODE_TEXT)));
    code = pq_getmsgbytes(message, code_length);
    PG_RETURN_POINTER(formula_value_from_texts(symbols, symbol_length, code, code_length,
                                               ERRCODE_INVALID_BINARY_REPRESENTATION));
}

PG_FUNCTION_INFO_V1(formula_send);
Datum formula_send(PG_FUNCTION_ARGS) {
    FormulaValue *f = formula_argument(fcinfo, 0);
    StringInfoData message;
    int32 code_length = formula_code_length(f);

    pq_begintypsend(&message);
    pq_sendint32(&message, (uint32) f->symbol_length);
    pq_sendbytes(&message, formula_symbol_text(f), f->symbol_length);
    pq_sendint32(&message, (uint32) code_length);
    pq_sendbytes(&message, formula_code_text(f), code_length);
    PG_RETURN_BYTEA_P(pq_endtypsend(&message));
}

/* formula(symbols text, code text): a formula from the texts a host stored. */
PG_FUNCTION_INFO_V1(formula_from_texts);
Datum formula_from_texts(PG_FUNCTION_ARGS) {
    text *symbols = PG_GETARG_TEXT_PP(0);
    text *code = PG_GETARG_TEXT_PP(1);
    PG_RETURN_POINTER(formula_value_from_texts(VARDATA_ANY(symbols), (int) VARSIZE_ANY_EXHDR(symbols),
                                               VARDATA_ANY(code), (int) VARSIZE_ANY_EXHDR(code),
                                               ERRCODE_INVALID_PARAMETER_VALUE));
}
