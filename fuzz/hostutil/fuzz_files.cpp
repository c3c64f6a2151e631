#include "fuzz_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fuzz_files {

namespace {

struct scratch_folder {
    scratch_folder() {
        // Memory-backed where there is one: replacing a file on a disk file
        // system waits for the disk, which would slow every input down.
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::random_device entropy;
        do {
            path = base /
                   ("ventus-fuzz-" + std::to_string(entropy()) + std::to_string(entropy()));
        } while (!std::filesystem::create_directory(path));
    }
    ~scratch_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

}  // namespace

std::string scratch(const std::string &name) {
    static scratch_folder folder;
    return (folder.path / name).string();
}

void write(const std::string &path, const std::uint8_t *data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    if (!out) fail("cannot write a scratch file");
}

std::string read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void fail(const char *what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace fuzz_files
