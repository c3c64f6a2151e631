// Moves a complete file over its target in one step, replacing a target that
// exists, so a reader sees either the old file or the new one, never a part.
// Windows: MoveFileExA with MOVEFILE_REPLACE_EXISTING.
// POSIX: rename(2), which replaces the target atomically.
#pragma once

namespace platform {

// Returns true when `from` now stands under the name `to`.
bool replace_file(const char *from, const char *to);

}  // namespace platform
