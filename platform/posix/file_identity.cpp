#include "platform/file_identity.h"

#include <sys/stat.h>

namespace platform {

bool same_file(const std::string &first, const std::string &second) {
    struct stat one, two;
    return stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0 && one.st_dev == two.st_dev &&
           one.st_ino == two.st_ino;
}

}  // namespace platform
