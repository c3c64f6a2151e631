// The message box of the evaluator inside a server process: the extension
// links this in place of the platform's, so the division message reaches the
// client as a WARNING (formula_evaluate asks for it) and the server's log
// stays free of the line the POSIX message box writes on standard error.
#include "platform/message_box.h"
#include "postgres/formula_shim.h"

#include <cstring>

namespace {

// A server process runs one evaluation at a time (parallel workers are
// processes of their own).
char last_message[128] = "";

}  // namespace

namespace platform {

void show_message(const char *, const char *text) {
    std::strncpy(last_message, text, sizeof last_message - 1);
}

}  // namespace platform

extern "C" const char *formula_shim_division_message(void) { return last_message; }
