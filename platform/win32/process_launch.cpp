#include "platform/process_launch.h"

#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace platform {

namespace {

// The C runtime's mapping of system error codes to its error numbers.
int error_number_from(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE:
        case ERROR_NO_MORE_FILES: case ERROR_BAD_NETPATH: case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME: case ERROR_FILENAME_EXCED_RANGE:
            return ENOENT;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_ACCESS_DENIED: case ERROR_CURRENT_DIRECTORY: case ERROR_LOCK_VIOLATION:
        case ERROR_NETWORK_ACCESS_DENIED: case ERROR_CANNOT_MAKE: case ERROR_FAIL_I24:
        case ERROR_DRIVE_LOCKED: case ERROR_SEEK_ON_DEVICE: case ERROR_NOT_LOCKED:
        case ERROR_LOCK_FAILED:
            return EACCES;
        case ERROR_INVALID_HANDLE: case ERROR_INVALID_TARGET_HANDLE: case ERROR_DIRECT_ACCESS_HANDLE:
            return EBADF;
        case ERROR_ARENA_TRASHED: case ERROR_NOT_ENOUGH_MEMORY: case ERROR_INVALID_BLOCK:
        case ERROR_NOT_ENOUGH_QUOTA:
            return ENOMEM;
        case ERROR_BAD_ENVIRONMENT:
            return E2BIG;
        case ERROR_BAD_FORMAT:
            return ENOEXEC;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_NO_PROC_SLOTS: case ERROR_MAX_THRDS_REACHED: case ERROR_NESTING_NOT_ALLOWED:
            return EAGAIN;
        case ERROR_BROKEN_PIPE:
            return EPIPE;
        case ERROR_DISK_FULL:
            return ENOSPC;
        case ERROR_WAIT_NO_CHILDREN: case ERROR_CHILD_NOT_COMPLETE:
            return ECHILD;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        default:
            break;
    }
    if (error >= ERROR_WRITE_PROTECT && error <= ERROR_SHARING_BUFFER_EXCEEDED) return EACCES;
    if (error >= ERROR_INVALID_STARTING_CODESEG && error <= ERROR_INFLOOP_IN_RELOC_CHAIN) return ENOEXEC;
    return EINVAL;
}

bool is_startable_file(const std::string &path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The file to start, or the empty text when none exists.
std::string resolve_program(const std::string &program) {
    if (program.empty()) return {};
    const std::size_t separator = program.find_last_of("\\/");
    const bool bare = separator == std::string::npos && program.find(':') == std::string::npos;
    // A bare name is taken from the current directory only.
    const std::string path = bare ? ".\\" + program : program;
    std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    if (separator == std::string::npos && !bare) start = program.find(':') + 1;
    if (program.find('.', start) != std::string::npos) return is_startable_file(path) ? path : std::string{};
    for (const char *extension : {".com", ".exe", ".bat", ".cmd"}) {
        const std::string candidate = path + extension;
        if (is_startable_file(candidate)) return candidate;
    }
    return {};
}

class owned_handle {
public:
    explicit owned_handle(HANDLE handle) : handle_(handle) {}
    ~owned_handle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    owned_handle(const owned_handle &) = delete;
    owned_handle &operator=(const owned_handle &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

int run_program_and_wait(const char *program, std::span<const char *const> arguments) {
    try {
        if (program == nullptr) return ENOENT;
        const std::string file = resolve_program(program);
        if (file.empty()) return ENOENT;

        // The argument texts joined by single blanks, no quotes added.
        std::string command_line;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (i > 0) command_line += ' ';
            command_line += arguments[i];
        }
        if (arguments.empty()) command_line = program;
        std::vector<char> writable(command_line.begin(), command_line.end());
        writable.push_back('\0');

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(file.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return error_number_from(GetLastError());
        }
        const owned_handle process_handle{process.hProcess};
        const owned_handle thread_handle{process.hThread};
        WaitForSingleObject(process_handle.get(), INFINITE);
        DWORD exit_code;
        GetExitCodeProcess(process_handle.get(), &exit_code);  // not passed on
        return 0;
    } catch (const std::bad_alloc &) {
        return ENOMEM;
    }
}

}  // namespace platform
