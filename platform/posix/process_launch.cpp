#include "platform/process_launch.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <new>
#include <string>
#include <vector>

extern char **environ;

namespace platform {

namespace {

bool is_startable_file(const std::string &path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

// The file to start, or the empty text when none exists.
std::string resolve_program(const std::string &program) {
    if (program.empty()) return {};
    const std::size_t slash = program.rfind('/');
    // A bare name is taken from the current directory only.
    const std::string path = slash == std::string::npos ? "./" + program : program;
    const std::string last_component = slash == std::string::npos ? program : program.substr(slash + 1);
    if (last_component.find('.') != std::string::npos) {
        return is_startable_file(path) ? path : std::string{};
    }
    for (const char *extension : {"", ".com", ".exe", ".bat", ".cmd"}) {
        const std::string candidate = path + extension;
        if (is_startable_file(candidate)) return candidate;
    }
    return {};
}

}  // namespace

int run_program_and_wait(const char *program, std::span<const char *const> arguments) {
    try {
        if (program == nullptr) return ENOENT;
        const std::string file = resolve_program(program);
        if (file.empty()) return ENOENT;

        std::vector<char *> argv;
        for (const char *argument : arguments) argv.push_back(const_cast<char *>(argument));
        if (argv.empty()) argv.push_back(const_cast<char *>(program));
        argv.push_back(nullptr);

        pid_t child;
        const int error = ::posix_spawn(&child, file.c_str(), nullptr, nullptr, argv.data(), environ);
        if (error != 0) return error;
        int status;
        while (::waitpid(child, &status, 0) == -1) {
            if (errno != EINTR) return errno;
        }
        return 0;
    } catch (const std::bad_alloc &) {
        return ENOMEM;
    }
}

}  // namespace platform
