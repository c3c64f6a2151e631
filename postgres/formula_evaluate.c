/* formula_evaluate(f formula, VARIADIC inputs float8[]), its forms with one
   to eight float8 inputs, and formula_evaluate(f formula): element 0 of a
   Formula call with the same texts and inputs.

   Each call site keeps its prepared formulas in fn_extra, keyed by the
   formula's contents: a query over a million rows prepares once, and a join
   over a few formulas keeps each prepared. The cache lives in the call's
   memory context (the query's), and a reset callback of that context
   releases the prepared formulas, however the query ends.

   The evaluation asks, every so many instructions charged at jumps, whether
   a cancel or a termination is pending; when one is, the evaluator stops and
   returns, and only then does CHECK_FOR_INTERRUPTS raise the ERROR, so no
   longjmp crosses the evaluator's frames. */
#include "postgres.h"

#include "catalog/pg_type.h"
#include "fmgr.h"
#include "miscadmin.h"
#include "nodes/primnodes.h"
#include "utils/array.h"
#include "utils/memutils.h"

#include "formula_shim.h"
#include "formula_value.h"
#include "messages.h"

/* Formulas kept per call site: a join over more formulas than this prepares
   again, round robin, but stays right. */
#define CACHED_FORMULAS 8

/* Instructions between two interrupt checks: about a millisecond of a loop. */
#define INSTRUCTIONS_PER_CHECK 65536

typedef struct CachedFormula {
    FormulaValue *key; /* a copy of the value, in the cache's context */
    PreparedFormula *prepared;
    int input_count;
    bool has_output;
    bool no_output_noticed;
} CachedFormula;

typedef struct CallCache {
    MemoryContext context;
    bool formula_is_constant; /* a Const: the same value on every call */
    int used;
    int last_hit;
    int next_replaced;
    CachedFormula formulas[CACHED_FORMULAS];
    double *values; /* element 0 the result, then the inputs */
    int values_capacity;
    MemoryContextCallback release;
} CallCache;

static void release_prepared(void *argument) {
    CallCache *cache = (CallCache *) argument;
    int i;
    for (i = 0; i < cache->used; ++i) formula_shim_release(cache->formulas[i].prepared);
    cache->used = 0;
}

/* Whether the call's formula is a Const. Not a parameter: PL/pgSQL keeps a
   simple expression's state from one call to the next while its variables,
   parameters of that expression, change. */
static bool formula_is_const(FmgrInfo *flinfo) {
    Node *call = flinfo->fn_expr;
    List *arguments;
    if (call == NULL || !IsA(call, FuncExpr)) return false;
    arguments = ((FuncExpr *) call)->args;
    return arguments != NIL && IsA(linitial(arguments), Const);
}

static CallCache *call_cache(FunctionCallInfo fcinfo) {
    CallCache *cache = (CallCache *) fcinfo->flinfo->fn_extra;
    if (cache == NULL) {
        cache = (CallCache *) MemoryContextAllocZero(fcinfo->flinfo->fn_mcxt, sizeof(CallCache));
        cache->context = fcinfo->flinfo->fn_mcxt;
        cache->formula_is_constant = formula_is_const(fcinfo->flinfo);
        cache->release.func = release_prepared;
        cache->release.arg = cache;
        MemoryContextRegisterResetCallback(cache->context, &cache->release);
        fcinfo->flinfo->fn_extra = cache;
    }
    return cache;
}

static bool same_value(const FormulaValue *a, const FormulaValue *b) {
    return VARSIZE(a) == VARSIZE(b) && memcmp(a, b, VARSIZE(a)) == 0;
}

static CachedFormula *prepared_formula(CallCache *cache, FormulaValue *f) {
    CachedFormula *entry;
    PreparedFormula *prepared;
    FormulaValue *key;
    int input_count, i;
    bool has_output;

    if (cache->used > 0 && (cache->formula_is_constant || same_value(cache->formulas[cache->last_hit].key, f)))
        return &cache->formulas[cache->last_hit];
    for (i = 0; i < cache->used; ++i)
        if (same_value(cache->formulas[i].key, f)) {
            cache->last_hit = i;
            return &cache->formulas[i];
        }

    key = (FormulaValue *) MemoryContextAlloc(cache->context, VARSIZE(f));
    memcpy(key, f, VARSIZE(f));
    prepared = formula_shim_prepare(formula_symbol_text(key), formula_code_text(key), &input_count, &has_output);
    if (prepared == NULL) {
        pfree(key);
        ereport(ERROR, (errcode(ERRCODE_OUT_OF_MEMORY), errmsg(FORMULA_OUT_OF_MEMORY)));
    }
    if (cache->used < CACHED_FORMULAS) {
        i = cache->used++;
    } else {
        i = cache->next_replaced;
        cache->next_replaced = (i + 1) % CACHED_FORMULAS;
        formula_shim_release(cache->formulas[i].prepared);
        pfree(cache->formulas[i].key);
    }
    entry = &cache->formulas[i];
    entry->key = key;
    entry->prepared = prepared;
    entry->input_count = input_count;
    entry->has_output = has_output;
    entry->no_output_noticed = false;
    cache->last_hit = i;
    return entry;
}

static double *values_for(CallCache *cache, int input_count) {
    if (input_count + 1 > cache->values_capacity) {
        if (cache->values) pfree(cache->values);
        cache->values = (double *) MemoryContextAlloc(cache->context, sizeof(double) * (Size) (input_count + 1));
        cache->values_capacity = input_count + 1;
    }
    return cache->values;
}

/* The budget's question: go on unless a cancel or a termination is pending
   that CHECK_FOR_INTERRUPTS will act on. It only reads flags. */
static bool no_cancel_pending(void *context) {
    (void) context;
    return !(INTERRUPTS_PENDING_CONDITION() && INTERRUPTS_CAN_BE_PROCESSED() &&
             (QueryCancelPending || ProcDiePending));
}

static Datum evaluate(FunctionCallInfo fcinfo, const double *inputs, int given) {
    CallCache *cache = call_cache(fcinfo);
    FormulaValue *f = formula_argument(fcinfo, 0);
    CachedFormula *entry = prepared_formula(cache, f);
    double *values;
    int zero_divisors;

    if (given != entry->input_count)
        ereport(ERROR, (errcode(ERRCODE_INVALID_PARAMETER_VALUE),
                        errmsg(formula_shim_input_count_text(), entry->input_count, given)));
    values = values_for(cache, given);
    values[0] = 0.0;
    if (given > 0) memcpy(values + 1, inputs, sizeof(double) * (Size) given);
    for (;;) {
        zero_divisors =
            formula_shim_evaluate(entry->prepared, values, INSTRUCTIONS_PER_CHECK, no_cancel_pending, NULL);
        if (zero_divisors != FORMULA_SHIM_STOPPED) break;
        /* Raises the cancel's ERROR; should it not, the evaluation starts over. */
        CHECK_FOR_INTERRUPTS();
        if (given > 0) memcpy(values + 1, inputs, sizeof(double) * (Size) given);
    }
    if (zero_divisors > 0)
        ereport(WARNING, (errcode(ERRCODE_DIVISION_BY_ZERO), errmsg("%s", formula_shim_division_message())));
    if (!entry->has_output && !entry->no_output_noticed) {
        entry->no_output_noticed = true;
        ereport(NOTICE, (errmsg(formula_shim_no_output_text(), formula_value_name(f))));
    }
    PG_RETURN_FLOAT8(values[0]);
}

PG_FUNCTION_INFO_V1(formula_evaluate);
Datum formula_evaluate(PG_FUNCTION_ARGS) {
    ArrayType *array = PG_GETARG_ARRAYTYPE_P(1);
    int given = ArrayGetNItems(ARR_NDIM(array), ARR_DIMS(array));

    if (ARR_ELEMTYPE(array) != FLOAT8OID) elog(ERROR, "formula_evaluate expects float8 inputs");
    if (array_contains_nulls(array)) PG_RETURN_NULL();
    return evaluate(fcinfo, (const double *) ARR_DATA_PTR(array), given);
}

/* formula_evaluate(f, x1, ..., xn) for n up to 8: the same evaluation,
   without building and taking apart an array on every row. */
PG_FUNCTION_INFO_V1(formula_evaluate_arguments);
Datum formula_evaluate_arguments(PG_FUNCTION_ARGS) {
    double inputs[8];
    int given = PG_NARGS() - 1, i;
    if (given > (int) lengthof(inputs)) elog(ERROR, "formula_evaluate takes at most 8 inputs one by one");
    for (i = 0; i < given; ++i) inputs[i] = PG_GETARG_FLOAT8(i + 1);
    return evaluate(fcinfo, inputs, given);
}

PG_FUNCTION_INFO_V1(formula_evaluate_without_inputs);
Datum formula_evaluate_without_inputs(PG_FUNCTION_ARGS) { return evaluate(fcinfo, NULL, 0); }
