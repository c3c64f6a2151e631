#include "hostutil/document_file_output.h"

#include <cstdio>
#include <chrono>
#include <cstdint>
#include <string>

#include "hostutil/file_image.h"

namespace hostutil {

namespace {

constexpr int creation_attempts = 16;

// Creates a file beside path that did not exist before; its name goes to
// temporary_path.
FileHandle create_temporary_beside(const std::string &path, std::string &temporary_path)
{
    // Exclusive creation makes the name safe; the clock only makes a clash unlikely.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < creation_attempts; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%llx-%d.tmp",
                      static_cast<unsigned long long>(now), attempt);
        temporary_path = path + suffix;
        // "x": fail rather than reuse a file that is already there.
        FileHandle file{std::fopen(temporary_path.c_str(), "wbx")};
        if (file)
            return file;
    }
    return FileHandle{};
}

}  // namespace

bool write_document_file(const char *path, const unsigned char *bytes, std::size_t length)
{
    if (path == nullptr || *path == '\0')
        return false;
    std::string temporary_path;
    FileHandle file = create_temporary_beside(path, temporary_path);
    if (!file)
        return false;
    bool written = length == 0 || std::fwrite(bytes, 1, length, file.get()) == length;
    written = std::fflush(file.get()) == 0 && written;
    written = std::fclose(file.release()) == 0 && written;
    if (written && std::rename(temporary_path.c_str(), path) == 0)
        return true;
    std::remove(temporary_path.c_str());
    return false;
}

}  // namespace hostutil
