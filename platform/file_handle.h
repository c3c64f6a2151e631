// A C stream owned by its holder and closed when the holder goes.
#pragma once

#include <cstdio>
#include <memory>

namespace platform {

struct file_closer {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

}  // namespace platform
