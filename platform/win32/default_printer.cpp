#include "platform/default_printer.h"

#include <windows.h>

namespace platform {

void read_default_printer_entry(char *entry, std::size_t size) {
    if (size == 0) return;
    GetProfileStringA("windows", "device", ",,,", entry, static_cast<DWORD>(size));
}

}  // namespace platform
