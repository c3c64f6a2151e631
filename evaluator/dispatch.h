// How the evaluator's loops dispatch, as Lua's lvm.c does: with GCC and clang
// (MinGW included) every operation ends by jumping through a table of label
// addresses, one indirect jump with no bounds test; other compilers, and
// builds that define ZERIZI_SWITCH_DISPATCH, go round a switch.
#pragma once

#if defined(__GNUC__) && !defined(ZERIZI_SWITCH_DISPATCH)
#define ZERIZI_COMPUTED_GOTO 1
#else
#define ZERIZI_COMPUTED_GOTO 0
#endif

// For the small helpers a loop shares between its operations: always
// inlined, so that what they share stays in registers.
#if defined(__GNUC__)
#define ZERIZI_STEP __attribute__((always_inline))
#else
#define ZERIZI_STEP
#endif
