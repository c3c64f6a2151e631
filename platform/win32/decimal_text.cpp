#include "platform/decimal_text.h"

#include <locale.h>
#include <stdlib.h>

namespace platform {

namespace {

// The "C" locale of the C runtime, created once and never changed afterwards.
_locale_t c_locale() {
    static const _locale_t locale = _create_locale(LC_NUMERIC, "C");
    return locale;
}

}  // namespace

double decimal_text_to_double(const char *text, const char **end) {
    char *stop = nullptr;
    _locale_t locale = c_locale();
    double value = locale ? _strtod_l(text, &stop, locale) : strtod(text, &stop);
    if (end) *end = stop;
    return value;
}

}  // namespace platform
