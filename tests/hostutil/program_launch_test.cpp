// RunPrg on POSIX systems; the Windows form is program_launch_windows_test.cpp.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "probe_folder.h"
#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;
namespace fs = std::filesystem;

class RunPrgTest : public ProbeFolderTest {
protected:
    void install_script(const std::string &name, const std::string &body, bool executable = true) {
        write_file(folder.file(name), "#!/bin/sh\n" + body + "\n");
        if (executable) fs::permissions(folder.file(name), fs::perms::owner_all);
    }
};

TEST_F(RunPrgTest, PassesTheArgumentTextsUnchanged) {
    install_probe("tool");
    EXPECT_EQ(RunPrg("tool", "tool", "a b", "", "\"q\"", "last"), 0);
    EXPECT_EQ(probe_output(), "5\ntool\na b\n\n\"q\"\nlast\n");
    // The list ends at the first null pointer, whatever follows.
    EXPECT_EQ(RunPrg("tool", "name", nullptr, "ignored", "ignored", "ignored"), 0);
    EXPECT_EQ(probe_output(), "1\nname\n");
    // With no argument at all the program text stands in as the name.
    EXPECT_EQ(RunPrg("tool", nullptr, "ignored", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\ntool\n");
}

TEST_F(RunPrgTest, BlocksUntilTheProgramEndsAndDropsItsExitCode) {
    install_probe("tool");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunPrg("tool", "tool", "--sleep-ms=300", "--exit=3", nullptr, nullptr), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(probe_output(), "3\ntool\n--sleep-ms=300\n--exit=3\n");
    install_script("crash", "kill -9 $$");
    EXPECT_EQ(RunPrg("crash", "crash", nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(RunPrgTest, TriesTheExtensionsInOrder) {
    install_probe("tool.exe");
    EXPECT_EQ(RunPrg("tool", "tool", "exe", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "2\ntool\nexe\n");
    // .com before .exe, the name as it stands before both.
    install_script("tool.com", "echo com > picked");
    EXPECT_EQ(RunPrg("tool", "tool", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(read_file(folder.file("picked")), "com\n");
    install_script("tool", "echo plain > picked");
    EXPECT_EQ(RunPrg("tool", "tool", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(read_file(folder.file("picked")), "plain\n");
    // .bat before .cmd; a folder of the plain name is passed over.
    install_script("job.cmd", "echo cmd > picked");
    EXPECT_EQ(RunPrg("job", "job", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(read_file(folder.file("picked")), "cmd\n");
    install_script("job.bat", "echo bat > picked");
    fs::create_directory(folder.file("job"));
    EXPECT_EQ(RunPrg("job", "job", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(read_file(folder.file("picked")), "bat\n");
}

TEST_F(RunPrgTest, LooksInTheCurrentDirectoryOnly) {
    // No search along the path: "true" is not found here.
    EXPECT_EQ(RunPrg("true", "true", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg("missing", "missing", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg("", "x", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg(nullptr, "x", nullptr, nullptr, nullptr, nullptr), 2);
    // A name with an extension must exist as it stands.
    install_probe("tool.exe");
    EXPECT_EQ(RunPrg("tool.com", "tool", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_FALSE(file_exists(folder.file("probe-output.txt")));
    // A path with a folder is taken as it is.
    fs::create_directory(folder.file("sub"));
    install_probe("sub/inner");
    EXPECT_EQ(RunPrg("sub/inner", "inner", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\ninner\n");
    EXPECT_EQ(RunPrg(folder.file("sub/inner").c_str(), "abs", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\nabs\n");
    EXPECT_EQ(RunPrg("sub/missing", "x", nullptr, nullptr, nullptr, nullptr), 2);
}

TEST_F(RunPrgTest, FilesThatCannotRunGiveTheErrorNumber) {
    install_script("plain.txt", "exit 0", false);
    EXPECT_EQ(RunPrg("plain.txt", "x", nullptr, nullptr, nullptr, nullptr), 13);  // EACCES
    write_file(folder.file("garbage"), "not a program\n");
    fs::permissions(folder.file("garbage"), fs::perms::owner_all);
    EXPECT_EQ(RunPrg("garbage", "x", nullptr, nullptr, nullptr, nullptr), 8);  // ENOEXEC
    fs::create_directory(folder.file("folder.exe"));
    EXPECT_EQ(RunPrg("folder.exe", "x", nullptr, nullptr, nullptr, nullptr), 2);
}

}  // namespace

#endif
