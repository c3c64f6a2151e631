// RIPEMD-160 digest of a file's complete byte content.
#pragma once

#include <optional>

#include "hostutil/ripemd160.h"

namespace ventus {

// The digest of the file at path; nothing when it cannot be opened or read.
std::optional<ripemd160_digest> RMDbinary(const char *path);

}  // namespace ventus
