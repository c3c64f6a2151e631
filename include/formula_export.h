/* Calling convention and symbol export of the public interfaces. */
#ifndef FORMULA_EXPORT_H
#define FORMULA_EXPORT_H

#if defined(_WIN32)
/* The standard calling convention: the called function removes its arguments.
   The DLLs export undecorated names through their module-definition files. */
#  define FORMULA_CALL __stdcall
#  define FORMULA_EXPORT
#else
#  define FORMULA_CALL
#  define FORMULA_EXPORT __attribute__((visibility("default")))
#endif

#endif
