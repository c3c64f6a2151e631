#include "platform/print_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>

namespace platform {

namespace {

#ifndef _WIN64
static_assert(sizeof(PRINTDLGA) == 66, "PRINTDLG of 32-bit Windows is 66 bytes");
#endif

// Releases a block that the dialog returned.
struct global_block {
    HGLOBAL handle;
    explicit global_block(HGLOBAL block) : handle(block) {}
    global_block(const global_block &) = delete;
    global_block &operator=(const global_block &) = delete;
    ~global_block() {
        if (handle) GlobalFree(handle);
    }
};

}  // namespace

std::int32_t run_print_dialog(print_dialog_settings &settings, char *device, char *driver,
                              char *port) {
    PRINTDLGA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.Flags = settings.flags;
    dialog.nFromPage = settings.from_page;
    dialog.nMinPage = settings.from_page;
    dialog.nToPage = settings.to_page;
    dialog.nMaxPage = settings.to_page;
    dialog.nCopies = settings.copies;

    BOOL result = PrintDlgA(&dialog);
    global_block device_mode(dialog.hDevMode);
    global_block device_names(dialog.hDevNames);

    if (result) {
        if (auto *names = static_cast<DEVNAMES *>(GlobalLock(dialog.hDevNames))) {
            const char *base = reinterpret_cast<const char *>(names);
            std::strcpy(device, base + names->wDeviceOffset);
            std::strcpy(driver, base + names->wDriverOffset);
            std::strcpy(port, base + names->wOutputOffset);
            GlobalUnlock(dialog.hDevNames);
        }
        settings.device_context = dialog.hDC;
        settings.copies = dialog.nCopies;
        settings.from_page = dialog.nFromPage;
        settings.to_page = dialog.nToPage;
    }
    return result;
}

}  // namespace platform
