// How formeval refuses: one line "formeval: TEXT" on standard error, and the
// exit code for a refusal.
#pragma once

#include <cstdio>

#include "tools/formeval/messages.h"

namespace formeval {

// `format` is one of the texts of messages.h, with its arguments.
template <typename... Args>
int refuse(const char *format, Args... args) {
    std::fputs("formeval: ", stderr);
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
    return exit_refused;
}

}  // namespace formeval
