#include "platform/console_input.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

long read_standard_input(char *buffer, std::size_t size) {
    for (;;) {
        ssize_t count = ::read(STDIN_FILENO, buffer, size);
        if (count >= 0) return static_cast<long>(count);
        if (errno != EINTR) return -1;
    }
}

bool standard_input_is_terminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace platform
