#include "platform/new_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

std::FILE *create_new_file(const char *path) {
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE *file = fdopen(descriptor, "wb");
    if (file == nullptr) close(descriptor);
    return file;
}

}  // namespace platform
