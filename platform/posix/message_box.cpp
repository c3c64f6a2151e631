#include "platform/message_box.h"

#include <cstdio>

namespace platform {

void show_message(const char *title, const char *text) {
    // One write per message, so lines from several threads do not interleave.
    std::fprintf(stderr, "%s: %s\n", title, text);
    std::fflush(stderr);
}

}  // namespace platform
