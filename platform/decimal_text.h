// Converts decimal text to a double exactly as the C library's strtod does in
// the "C" locale (a point as the decimal separator), whatever locale the host
// process has set. Leading white space is skipped; `end`, when not null,
// receives the first character not converted.
#pragma once

namespace platform {

double decimal_text_to_double(const char *text, const char **end = nullptr);

}  // namespace platform
