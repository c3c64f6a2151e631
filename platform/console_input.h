// Standard input as raw bytes, for programs that apply the text-mode rules
// (carriage return before line feed dropped, byte 26 ends the input) in their
// own code rather than through the C runtime.
// Windows: standard input switched to binary mode once, then read with the C
// runtime's _read and tested with _isatty.
// POSIX: read(2) on descriptor 0, retried on EINTR, and isatty(3).
#pragma once

#include <cstddef>

namespace platform {

// Reads at most `size` bytes into `buffer`. Returns the number read, 0 at the
// end of the input, or -1 when reading failed. Returns as soon as some bytes
// are available; never blocks waiting to fill the whole buffer.
long read_standard_input(char *buffer, std::size_t size);

// True when standard input is a terminal (an interactive console).
bool standard_input_is_terminal();

}  // namespace platform
