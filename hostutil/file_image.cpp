#include "hostutil/file_image.h"

namespace ventus {

file_handle open_for_reading(const char *path)
{
    if (path == nullptr)
        return file_handle{};
    return file_handle{std::fopen(path, "rb")};
}

bool file_length(std::FILE *file, std::size_t &length)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        return false;
    length = static_cast<std::size_t>(end);
    return true;
}

file_read read_file_image(std::FILE *file, std::size_t length, byte_buffer &image)
{
    if (!image.allocate(length))
        return file_read::no_memory;
    if (std::fread(image.data(), 1, length, file) != length)
        return file_read::failed;  // shorter than its length, or a read error
    return file_read::ok;
}

}  // namespace ventus
