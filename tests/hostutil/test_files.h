// Real files for the VENTUS tests: a fresh folder per test, whole-file reads
// and writes, and the output of shell commands (the peers we compare with).
#pragma once

#include <filesystem>
#include <string>

namespace hostutil_test {

class temporary_folder {
public:
    temporary_folder();
    ~temporary_folder();
    temporary_folder(const temporary_folder &) = delete;
    temporary_folder &operator=(const temporary_folder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    // The path of a file in the folder, as a string for the C exports.
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A tmpfs of 64 KiB mounted on a fresh folder, for writes that run out of
// space; mounted() is false where mounting is not allowed.
class tiny_filesystem {
public:
    tiny_filesystem();
    ~tiny_filesystem();
    bool mounted() const { return mounted_; }
    std::string file(const std::string &name) const { return folder_.file(name); }

private:
    temporary_folder folder_;
    bool mounted_ = false;
};

void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);
// Names of the entries of a folder, sorted.
std::string folder_listing(const std::filesystem::path &folder);

// Runs a shell command and returns its standard output; the exit status
// must be 0.
std::string shell_output(const std::string &command);
// Tests that compare with a command-line tool of the Linux host (iconv,
// openssl) start with this: a Windows build, run under Wine, cannot start it.
#ifdef _WIN32
#define SKIP_WITHOUT_HOST_TOOL(tool) \
    GTEST_SKIP() << "compares with " tool ", a program of the Linux host that the Windows build cannot run"
#else
#define SKIP_WITHOUT_HOST_TOOL(tool) static_cast<void>(0)
#endif
// The command's exit status, 0 when it ran and succeeded.
int shell_status(const std::string &command);
std::string shell_quoted(const std::string &text);

}  // namespace hostutil_test
