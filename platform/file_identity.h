// Whether two paths name the same file: the same device and inode, symbolic
// and hard links included, whatever the spelling of the names. False when
// either cannot be found.
// POSIX: stat(2), st_dev and st_ino. Windows: GetFileInformationByHandle,
// the volume's serial number and the file index.
#pragma once

#include <string>

namespace platform {

bool same_file(const std::string &first, const std::string &second);

}  // namespace platform
