// The system print dialog.
// Windows: PrintDlgA with no owner window; the returned DEVNAMES block is read
// under GlobalLock and both returned blocks are released with GlobalFree.
// POSIX: there is no dialog; the call returns 0 and changes nothing.
#pragma once

#include <cstdint>

namespace platform {

struct print_dialog_settings {
    std::uint32_t flags = 0;      // in: the dialog's flags, passed unchanged
    std::uint16_t copies = 0;     // in: copies shown; out: copies chosen
    std::uint16_t from_page = 0;  // in: first page shown and lowest allowed; out: chosen
    std::uint16_t to_page = 0;    // in: last page shown and highest allowed; out: chosen
    void *device_context = nullptr;  // out: the dialog's device context, if asked for
};

// Runs the dialog. When the user confirms, copies the chosen device, driver and
// port names (each with its NUL) into the three caller buffers, updates the
// settings and returns nonzero; otherwise returns 0 and changes nothing.
std::int32_t run_print_dialog(print_dialog_settings &settings, char *device, char *driver,
                              char *port);

}  // namespace platform
