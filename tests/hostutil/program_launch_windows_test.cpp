// RunPrg on Windows: CreateProcessA with the argument texts joined by blanks
// into one command line, the program taken from the current directory only,
// and a name without extension tried with .com, .exe, .bat and .cmd in turn.
// Real processes: copies of the probe program and batch files. The POSIX
// counterpart is program_launch_test.cpp.
#ifdef _WIN32

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

class RunPrgWindowsTest : public ProbeFolderTest {
protected:
    // A batch file that writes its own name into "picked".
    void install_batch(const std::string &name) {
        write_file(folder.file(name), "@echo " + name + "> picked\r\n");
    }
    std::string picked() {
        const std::string text = read_file(folder.file("picked"));
        fs::remove(folder.file("picked"));
        return text;
    }
};

TEST_F(RunPrgWindowsTest, OneCommandLineOfTheTextsJoinedByBlanks) {
    install_probe("tool.exe");
    // No quotes are added: the program's C runtime splits "a b" and drops the
    // empty text and the quotes, as it would for the same typed command line.
    EXPECT_EQ(RunPrg("tool", "tool", "a b", "", "\"q r\"", "last"), 0);
    EXPECT_EQ(probe_output(), "5\ntool\na\nb\nq r\nlast\n");
    // The list ends at the first null pointer, whatever follows.
    EXPECT_EQ(RunPrg("tool", "name", nullptr, "ignored", "ignored", "ignored"), 0);
    EXPECT_EQ(probe_output(), "1\nname\n");
    // With no argument at all the program text stands in as the command line.
    EXPECT_EQ(RunPrg("tool", nullptr, "ignored", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\ntool\n");
}

TEST_F(RunPrgWindowsTest, WaitsForTheProgramAndDropsItsExitCode) {
    install_probe("tool.exe");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunPrg("tool", "tool", "--sleep-ms=300", "--exit=3", nullptr, nullptr), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(probe_output(), "3\ntool\n--sleep-ms=300\n--exit=3\n");
}

TEST_F(RunPrgWindowsTest, TriesComExeBatCmdInThisOrder) {
    install_batch("job.cmd");
    EXPECT_EQ(RunPrg("job", "job", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(picked(), "job.cmd\r\n");
    install_batch("job.bat");
    EXPECT_EQ(RunPrg("job", "job", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(picked(), "job.bat\r\n");
    install_probe("job.exe");
    EXPECT_EQ(RunPrg("job", "job", "exe", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "2\njob\nexe\n");
    // .com comes first: a program file whatever its extension says, while
    // job.exe, now no program, is not even looked at.
    install_probe("job.com");
    write_file(folder.file("job.exe"), "not a program\r\n");
    EXPECT_EQ(RunPrg("job", "job", "com", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "2\njob\ncom\n");
    // Without an extension the name as it stands is not tried.
    install_probe("plain");
    EXPECT_EQ(RunPrg("plain", "plain", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_FALSE(file_exists(folder.file("probe-output.txt")));
}

TEST_F(RunPrgWindowsTest, LooksInTheCurrentDirectoryOnly) {
    // cmd.exe is on the path, but not here.
    EXPECT_EQ(RunPrg("cmd", "cmd", "/c", "exit", nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg("missing", "missing", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg("", "x", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(RunPrg(nullptr, "x", nullptr, nullptr, nullptr, nullptr), 2);
    // A name with an extension must exist as it stands.
    install_probe("tool.exe");
    EXPECT_EQ(RunPrg("tool.com", "tool", nullptr, nullptr, nullptr, nullptr), 2);
    EXPECT_FALSE(file_exists(folder.file("probe-output.txt")));
    // A path with a folder, either separator, or with a drive, is taken as it is.
    fs::create_directory(folder.file("sub"));
    install_probe("sub/inner.exe");
    EXPECT_EQ(RunPrg("sub\\inner", "inner", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\ninner\n");
    EXPECT_EQ(RunPrg("sub/inner.exe", "slash", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\nslash\n");
    const std::string absolute = fs::absolute(folder.file("sub/inner")).string();
    ASSERT_EQ(absolute[1], ':');
    EXPECT_EQ(RunPrg(absolute.c_str(), "absolute", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(probe_output(), "1\nabsolute\n");
    EXPECT_EQ(RunPrg("sub\\missing", "x", nullptr, nullptr, nullptr, nullptr), 2);
}

TEST_F(RunPrgWindowsTest, FilesThatCannotRunGiveTheErrorNumber) {
    write_file(folder.file("garbage.exe"), "not a program\r\n");
    EXPECT_EQ(RunPrg("garbage", "x", nullptr, nullptr, nullptr, nullptr), 8);  // ENOEXEC
    fs::create_directory(folder.file("folder.exe"));
    EXPECT_EQ(RunPrg("folder.exe", "x", nullptr, nullptr, nullptr, nullptr), 2);
}

}  // namespace

#endif
