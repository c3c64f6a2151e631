// The user's default printer as one profile entry "DEVICE,DRIVER,PORT".
// Windows: GetProfileStringA("windows", "device", ",,,").
// POSIX: the CUPS default destination (which honours LPDEST and PRINTER) as
// "NAME,MAKE-AND-MODEL,DEVICE-URI"; ",,," when there is none.
#pragma once

#include <cstddef>

namespace platform {

// Writes the entry, cut to size - 1 bytes and NUL-terminated, into entry.
void read_default_printer_entry(char *entry, std::size_t size);

}  // namespace platform
