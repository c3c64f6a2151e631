#include "platform/file_lock.h"

#include <windows.h>

#include <cstring>

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

// What a lock file made here holds, so that whoever lets it go last can tell
// it from a file of the user's and remove it.
constexpr char marker[] = "formula lock file\n";
constexpr DWORD marker_length = sizeof marker - 1;

bool holds_marker(HANDLE handle) {
    char text[marker_length + 1];
    DWORD read = 0;
    OVERLAPPED start{};
    return ReadFile(handle, text, sizeof text, &read, &start) && read == marker_length &&
           std::memcmp(text, marker, marker_length) == 0;
}

bool names_a_folder(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

file_lock::file_lock(const std::string &path, lock_mode mode) : path_(path) {
    // A holder removes the file only while it holds the lock alone, so a lock
    // taken on the file that the path still names excludes every other
    // holder. A file being removed cannot be opened for a moment: that is
    // tried again.
    constexpr DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD lock_flags = mode == lock_mode::exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    for (int attempt = 0; attempt < 10000; ++attempt) {
        if (names_a_folder(path)) {
            status_ = lock_status::not_a_regular_file;
            return;
        }
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool created = handle != INVALID_HANDLE_VALUE;
        const DWORD create_error = created ? 0 : GetLastError();
        DWORD written = 0;
        if (created && (!WriteFile(handle, marker, marker_length, &written, nullptr) || written != marker_length)) {
            CloseHandle(handle);
            DeleteFileA(path.c_str());
            return;
        }
        if (!created && create_error == ERROR_FILE_EXISTS) {
            handle = CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        }
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = create_error == ERROR_FILE_EXISTS ? GetLastError() : create_error;
            if (mode == lock_mode::shared && error == ERROR_ACCESS_DENIED &&
                GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                GetLastError() == ERROR_FILE_NOT_FOUND) {
                // No lock file, and none can be made here: nor can a writer
                // without the rights this caller lacks.
                status_ = lock_status::held;
                return;
            }
            if (error != ERROR_ACCESS_DENIED && error != ERROR_FILE_NOT_FOUND &&
                error != ERROR_SHARING_VIOLATION) {
                return;
            }
            Sleep(1);
            continue;
        }
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            status_ = lock_status::not_a_regular_file;
            return;
        }
        OVERLAPPED whole{};
        const bool locked = LockFileEx(handle, lock_flags, 0, 1, 0, &whole) != 0;
        if (locked && still_named(handle, path)) {
            handle_ = reinterpret_cast<std::intptr_t>(handle);
            status_ = lock_status::held;
            return;
        }
        CloseHandle(handle);
        if (!locked) {
            status_ = lock_status::not_locked;
            return;
        }
    }
}

file_lock::~file_lock() {
    if (!held() || handle_ == -1) return;
    HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    OVERLAPPED whole{};
    UnlockFileEx(handle, 0, 1, 0, &whole);
    // A file made here is removed by whoever holds it last: only when no one
    // else holds it.
    OVERLAPPED alone{};
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &alone)) {
        if (holds_marker(handle)) DeleteFileA(path_.c_str());
        UnlockFileEx(handle, 0, 1, 0, &alone);
    }
    CloseHandle(handle);
}

}  // namespace platform
