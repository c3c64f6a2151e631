// Creates a file that does not exist yet and opens it for binary writing; an
// existing file of that name is never opened or changed (nullptr then).
// POSIX: open(2) with O_CREAT | O_EXCL. Windows: _open with _O_CREAT | _O_EXCL
// (the C runtime's fopen has no exclusive mode there).
#pragma once

#include <cstdio>

namespace platform {

std::FILE *create_new_file(const char *path);

}  // namespace platform
