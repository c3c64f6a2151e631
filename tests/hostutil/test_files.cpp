#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace hostutil_test {

temporary_folder::temporary_folder() {
    std::random_device entropy;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() /
                ("hostutil-test-" + std::to_string(entropy()) + std::to_string(entropy()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

temporary_folder::~temporary_folder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

tiny_filesystem::tiny_filesystem() {
    mounted_ = shell_status("mount -t tmpfs -o size=64k tmpfs " + shell_quoted(folder_.path().string()) +
                            " 2>/dev/null") == 0;
}

tiny_filesystem::~tiny_filesystem() {
    if (mounted_) shell_status("umount " + shell_quoted(folder_.path().string()));
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool file_exists(const std::string &path) { return std::filesystem::exists(path); }

std::string folder_listing(const std::filesystem::path &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto &name : names) listing += name + "\n";
    return listing;
}

std::string shell_output(const std::string &command) {
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << command;
    return output;
}

int shell_status(const std::string &command) { return std::system(command.c_str()); }

std::string shell_quoted(const std::string &text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'') result += "'\\''";
        else result += c;
    }
    return result + "'";
}

}  // namespace hostutil_test
