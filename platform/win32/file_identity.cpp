#include "platform/file_identity.h"

#include <windows.h>

namespace platform {

namespace {

// The identity of the file a path names, links followed; false when it cannot be opened.
bool identity_of(const std::string &path, BY_HANDLE_FILE_INFORMATION &information) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

bool same_file(const std::string &first, const std::string &second) {
    BY_HANDLE_FILE_INFORMATION one, two;
    return identity_of(first, one) && identity_of(second, two) &&
           one.dwVolumeSerialNumber == two.dwVolumeSerialNumber && one.nFileIndexHigh == two.nFileIndexHigh &&
           one.nFileIndexLow == two.nFileIndexLow;
}

}  // namespace platform
