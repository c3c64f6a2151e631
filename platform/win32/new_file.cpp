#include "platform/new_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform {

std::FILE *create_new_file(const char *path) {
    const int descriptor =
        _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE *file = _fdopen(descriptor, "wb");
    if (file == nullptr) _close(descriptor);
    return file;
}

}  // namespace platform
