// The transfer loop of PrintFile, over any printer with the platform::printer
// write call (bool write(const void *, uint32_t size, uint32_t &written)).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ventus {

inline constexpr std::size_t print_block_size = 4096;  // bytes filled by each read

// Passes one block to the printer, again and again until the printer has taken
// all of it; false when a write fails or takes nothing.
template <class Printer>
bool write_block(Printer &printer, const char *data, std::size_t size) {
    while (size > 0) {
        std::uint32_t written = 0;
        if (!printer.write(data, static_cast<std::uint32_t>(size), written) || written == 0)
            return false;
        if (written > size) written = static_cast<std::uint32_t>(size);
        data += written;
        size -= written;
    }
    return true;
}

// Sends the file in blocks of up to print_block_size bytes read into buffer
// until the file's end; false when a read or a write fails.
template <class Printer>
bool send_file(std::FILE *file, Printer &printer, char *buffer) {
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, print_block_size, file);
        if (std::ferror(file)) return false;
        if (count == 0) return true;
        if (!write_block(printer, buffer, count)) return false;
    }
}

}  // namespace ventus
