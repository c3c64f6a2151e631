#include "platform/replace_file.h"

#include <cstdio>

namespace platform {

bool replace_file(const char *from, const char *to) {
    return std::rename(from, to) == 0;
}

}  // namespace platform
