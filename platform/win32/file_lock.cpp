#include "platform/file_lock.h"

#include <windows.h>

namespace platform {

namespace {

// True when path still names the file open as handle: the holder before may
// have removed it while this process waited for the lock.
bool still_named(HANDLE handle, const std::string &path) {
    BY_HANDLE_FILE_INFORMATION open_file, named;
    HANDLE again = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (again == INVALID_HANDLE_VALUE) return false;
    const bool same = GetFileInformationByHandle(handle, &open_file) && GetFileInformationByHandle(again, &named) &&
                      open_file.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                      open_file.nFileIndexHigh == named.nFileIndexHigh &&
                      open_file.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(again);
    return same;
}

}  // namespace

file_lock::file_lock(const std::string &path) : path_(path) {
    // A holder removes the file only while it holds the lock, so a lock taken
    // on the file that the path still names excludes every other holder. A
    // file being removed cannot be opened for a moment: that is tried again.
    constexpr DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (int attempt = 0; attempt < 10000; ++attempt) {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        created_ = handle != INVALID_HANDLE_VALUE;
        if (!created_ && GetLastError() == ERROR_FILE_EXISTS) {
            handle = CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        }
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error != ERROR_ACCESS_DENIED && error != ERROR_FILE_NOT_FOUND &&
                error != ERROR_SHARING_VIOLATION) {
                return;
            }
            Sleep(1);
            continue;
        }
        OVERLAPPED whole{};
        const bool locked = LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole) != 0;
        if (locked && still_named(handle, path)) {
            handle_ = reinterpret_cast<std::intptr_t>(handle);
            held_ = true;
            return;
        }
        CloseHandle(handle);
        if (!locked) return;
    }
}

file_lock::~file_lock() {
    if (!held_) return;
    HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    if (created_) DeleteFileA(path_.c_str());
    OVERLAPPED whole{};
    UnlockFileEx(handle, 0, 1, 0, &whole);
    CloseHandle(handle);
}

}  // namespace platform
