// The value of a constant's 20-character text: what the C library's strtod
// gives for it in the "C" locale, leading blanks skipped.
#pragma once

#include <string_view>

// Whether one double division rounds once, as Clinger's fast path needs:
// everywhere but on x87 arithmetic, which rounds twice.
#if (defined(__i386__) || defined(_M_IX86)) && !defined(__SSE2_MATH__) && !(defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define ZERIZI_EXACT_DIVISION 0
#else
#define ZERIZI_EXACT_DIVISION 1
#endif

namespace zerizi {

double constant_value(std::string_view text) noexcept;

// The same for a symbol record's whole 20-character field (all of it inside
// the text), with the literals the compiler writes converted inline.
double constant_field_value(const char *field) noexcept;

// The exact fast path alone: sets `value` and returns true for a text of the
// form [blanks]digits[.digits] whose digits make an integer below 2^53 with at
// most 22 of them after the point; returns false for anything else.
bool exact_decimal_value(std::string_view text, double &value) noexcept;

}  // namespace zerizi
