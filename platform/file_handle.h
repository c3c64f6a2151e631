// A C stream owned by its holder and closed when the holder goes.
#pragma once

#include <cstdio>
#include <memory>

namespace platform {

struct FileCloser {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace platform
