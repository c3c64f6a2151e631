// Whether a name still leads to the file open as a descriptor: another
// process may have removed or replaced it since it was opened.
#pragma once

#include <sys/stat.h>

namespace platform {

inline bool still_names(const char *path, int descriptor) {
    struct stat open_file, named;
    return fstat(descriptor, &open_file) == 0 && stat(path, &named) == 0 && open_file.st_dev == named.st_dev &&
           open_file.st_ino == named.st_ino;
}

}  // namespace platform
