#include "platform/replace_file.h"

#include <windows.h>

namespace platform {

bool replace_file(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace platform
