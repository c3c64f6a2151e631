#include "platform/replacement_file.h"
#include "platform/replacement_names.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace platform {

struct replacement_file::platform_state {
    std::string target;     // the file replaced, links followed
    std::string temporary;  // empty when the target is written directly
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;  // of the file replaced, when it existed
    bool failed = false;
};

namespace {

// The name the system resolves an open file to: links followed. The
// "\\?\" form of the name is what MoveFileExA takes as it stands.
std::string final_name(HANDLE handle, const std::string &fallback) {
    char name[MAX_PATH + 8];
    const DWORD length = GetFinalPathNameByHandleA(handle, name, sizeof name, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof name) return fallback;
    return std::string(name, length);
}

}  // namespace

replacement_file::replacement_file() = default;

replacement_file::replacement_file(const char *target) { open(target); }

replacement_file::~replacement_file() { discard(); }

bool replacement_file::is_open() const { return state_ && state_->handle != INVALID_HANDLE_VALUE; }

// Keeps the code of the first failure (over that of a write_some() shortfall).
void replacement_file::fail(long code) {
    if (!state_ || !state_->failed) error_ = code;
    if (state_) state_->failed = true;
}

bool replacement_file::open(const char *target) {
    discard();
    error_ = 0;
    if (target == nullptr || target[0] == '\0') {
        error_ = ERROR_FILE_NOT_FOUND;
        return false;
    }
    auto state = std::make_unique<platform_state>();
    state->target = target;
    // Opened for writing as the caller would: a read-only file, a folder or a
    // file the caller may not write is refused here.
    HANDLE existing = CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        if (GetFileType(existing) != FILE_TYPE_DISK) {
            // A device or a pipe: written as it is, in place.
            state->handle = existing;
            state_ = std::move(state);
            return true;
        }
        BY_HANDLE_FILE_INFORMATION information;
        if (GetFileInformationByHandle(existing, &information) &&
            (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            // Windows refuses to open a read-only file for writing; Wine
            // started by root would not, so the attribute is checked here.
            CloseHandle(existing);
            error_ = ERROR_ACCESS_DENIED;
            return false;
        }
        constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (GetFileInformationByHandle(existing, &information)) {
            state->attributes = information.dwFileAttributes & kept;
            if (state->attributes == 0) state->attributes = FILE_ATTRIBUTE_NORMAL;
        }
        state->target = final_name(existing, state->target);
        CloseHandle(existing);
    } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        // A folder: putting the file in place will fail. Anything else that
        // cannot be opened for writing is refused.
        const DWORD attributes = GetFileAttributesA(target);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            error_ = static_cast<long>(error);
            return false;
        }
    }

    // Created exclusively, so an existing file of the same name is never
    // taken over; another name is tried instead.
    const replacement_names pattern(state->target, "\\/:");
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        state->temporary = pattern.temporary(std::uint64_t{entropy()} << 32 | entropy());
        state->handle = CreateFileA(state->temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (state->handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (state->handle == INVALID_HANDLE_VALUE) {
        error_ = static_cast<long>(GetLastError());
        return false;
    }
    state_ = std::move(state);
    return true;
}

namespace {

// The count written: less than length only when writing failed (GetLastError).
std::size_t write_all(HANDLE handle, const void *data, std::size_t length) {
    const char *bytes = static_cast<const char *>(data);
    std::size_t done = 0;
    while (done < length) {
        const std::size_t left = length - done;
        const DWORD piece = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(handle, bytes + done, piece, &written, nullptr) || written == 0) break;
        done += written;
    }
    return done;
}

}  // namespace

bool replacement_file::write(const void *data, std::size_t length) {
    if (!is_open() || state_->failed) return false;
    if (write_all(state_->handle, data, length) < length) fail(static_cast<long>(GetLastError()));
    return !state_->failed;
}

std::size_t replacement_file::write_some(const void *data, std::size_t length) {
    if (!is_open() || state_->failed) return 0;
    const std::size_t written = write_all(state_->handle, data, length);
    if (written < length) error_ = static_cast<long>(GetLastError());
    return written;
}

bool replacement_file::commit() {
    if (!is_open()) return false;
    platform_state &state = *state_;
    const HANDLE handle = state.handle;
    state.handle = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle) && !state.failed) fail(static_cast<long>(GetLastError()));
    if (!state.failed && !state.temporary.empty()) {
        // The attributes of the file replaced (hidden, system, archive, ...)
        // go to its replacement.
        if (state.attributes != INVALID_FILE_ATTRIBUTES &&
            !SetFileAttributesA(state.temporary.c_str(), state.attributes)) {
            fail(static_cast<long>(GetLastError()));
        }
        if (!state.failed &&
            !MoveFileExA(state.temporary.c_str(), state.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            fail(static_cast<long>(GetLastError()));
        }
    }
    const bool committed = !state.failed;
    if (committed) state.temporary.clear();
    discard();
    return committed;
}

void replacement_file::discard() {
    if (!state_) return;
    if (state_->handle != INVALID_HANDLE_VALUE) CloseHandle(state_->handle);
    if (!state_->temporary.empty()) {
        SetFileAttributesA(state_->temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(state_->temporary.c_str());
    }
    state_.reset();
}

void remove_abandoned_replacements(const char *target) {
    if (target == nullptr || target[0] == '\0') return;
    std::string path = target;
    HANDLE existing = CreateFileA(target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        path = final_name(existing, path);  // links followed, as open() does
        CloseHandle(existing);
    }
    const replacement_names pattern(path, "\\/:");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((pattern.folder + pattern.prefix + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
            !pattern.matches(found.cFileName)) {
            continue;
        }
        // Opened without sharing: refused while a live replacement holds it
        // open; removed when this handle closes.
        const std::string candidate = pattern.folder + found.cFileName;
        HANDLE abandoned = CreateFileA(candidate.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (abandoned != INVALID_HANDLE_VALUE) CloseHandle(abandoned);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace platform
