#include "hostutil/input_file.h"

namespace ventus {

input_file::input_file(const char *path) : file_(path != nullptr ? std::fopen(path, "rb") : nullptr) {
    // Our own buffers are large; the stream's would only add a copy.
    if (file_) std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

std::size_t input_file::read(void *buffer, std::size_t capacity) {
    if (!file_ || failed_) return 0;
    auto *bytes = static_cast<char *>(buffer);
    std::size_t total = 0;
    while (total < capacity) {
        const std::size_t got = std::fread(bytes + total, 1, capacity - total, file_.get());
        total += got;
        if (got == 0) {
            if (std::ferror(file_.get())) failed_ = true;
            break;
        }
    }
    return total;
}

long input_file::read_raw(char *buffer, std::size_t capacity) {
    const std::size_t count = read(buffer, capacity);
    return count == 0 && failed_ ? -1 : static_cast<long>(count);
}

}  // namespace ventus
