// The value of a constant's 20-character text: what the C library's strtod
// gives for it in the "C" locale, leading blanks skipped.
#pragma once

#include <string_view>

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
