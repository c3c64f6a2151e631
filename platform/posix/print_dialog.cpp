#include "platform/print_dialog.h"

namespace platform {

// No dialog on this system: nothing is chosen, nothing changes.
std::int32_t run_print_dialog(print_dialog_settings &, char *, char *, char *) { return 0; }

}  // namespace platform
