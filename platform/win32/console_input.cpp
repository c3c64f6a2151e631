#include "platform/console_input.h"

#include <fcntl.h>
#include <io.h>

namespace platform {

namespace {

// The C runtime opens standard input in text mode; the caller applies the
// text-mode rules itself, so the bytes must arrive unchanged.
void switch_to_binary_once() {
    static const bool switched = (_setmode(0, _O_BINARY), true);
    (void)switched;
}

}  // namespace

long read_standard_input(char *buffer, std::size_t size) {
    switch_to_binary_once();
    unsigned int count = size > 0x7fffffffu ? 0x7fffffffu : static_cast<unsigned int>(size);
    int result = _read(0, buffer, count);
    return result < 0 ? -1 : static_cast<long>(result);
}

bool standard_input_is_terminal() {
    return _isatty(0) != 0;
}

}  // namespace platform
