/* ZERIZI: evaluates a compiled formula (the two texts written by formcomp). */
#ifndef ZERIZI_H
#define ZERIZI_H

#include <stdint.h>

#include "formula_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* values: the caller's array of doubles; element 0 receives the output,
   elements 1, 2, ... hold the inputs in symbol-file order.
   texts: texts[0] is the symbol text (NAME.sym), texts[1] the code text
   (NAME.obj), both zero-terminated and each starting with its header.
   Always returns 1. */
FORMULA_EXPORT int32_t FORMULA_CALL Formula(double *values, const char *const *texts);

#ifdef __cplusplus
}
#endif

#endif
