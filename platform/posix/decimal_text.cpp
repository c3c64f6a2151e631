#include "platform/decimal_text.h"

#include <locale.h>
#include <stdlib.h>

namespace platform {

namespace {

// The "C" locale, created once and never changed afterwards.
locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

double decimal_text_to_double(const char *text, const char **end) {
    char *stop = nullptr;
    locale_t locale = c_locale();
    double value = locale ? strtod_l(text, &stop, locale) : strtod(text, &stop);
    if (end) *end = stop;
    return value;
}

}  // namespace platform
