// Whether standard error is a terminal, so that a program shows progress there
// only when someone watches it (never into a file or a pipe).
// Windows: the C runtime's _isatty on descriptor 2.
// POSIX: isatty(3) on descriptor 2.
#pragma once

namespace platform {

bool standard_error_is_terminal();

}  // namespace platform
