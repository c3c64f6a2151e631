// How formcomp puts NAME.sym and NAME.obj in place, with the real program:
// two compiles of one name at once leave one compile's pair, the files keep
// their mode, and a file the user may not write is refused and stays.
#include "formcomp_program.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <utility>

namespace {

using namespace formcomp_test;
namespace fs = std::filesystem;

constexpr uid_t nobody = 65534;

// Starts formcomp in `folder` with `source` on standard input and its
// standard output into `output`, optionally as the user nobody.
pid_t start_formcomp(const fs::path &folder, const fs::path &source, const fs::path &output,
                     bool as_nobody = false) {
    const pid_t child = fork();
    if (child != 0) return child;
    const int input = open(source.c_str(), O_RDONLY);
    const int printed = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (input < 0 || printed < 0 || dup2(input, 0) < 0 || dup2(printed, 1) < 0 || chdir(folder.c_str()) != 0) _exit(120);
    if (as_nobody && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(121);
    execl(FORMCOMP_PATH, FORMCOMP_PATH, static_cast<char *>(nullptr));
    _exit(122);
}

int exit_code_of(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using file_pair = std::pair<std::string, std::string>;

file_pair pair_in(const fs::path &folder) { return {read_file(folder / "F.sym"), read_file(folder / "F.obj")}; }

// The names in a folder, sorted.
std::set<std::string> listing(const fs::path &folder) {
    std::set<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}
const std::set<std::string> just_the_pair{"F.obj", "F.sym"};

class OutputPair : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(io.path() / "one.frm", "method F\ninput a;\nproc\nendp\n");
        write_file(io.path() / "two.frm", "method F\ninput a, b;\nproc\na = b + 1;\nendp\n");
    }
    // The pair that one source gives compiled alone.
    file_pair compiled_alone(const char *source) {
        scratch_folder alone;
        EXPECT_EQ(exit_code_of(start_formcomp(alone.path(), io.path() / source, io.path() / "printed.txt")), 0);
        return pair_in(alone.path());
    }

    scratch_folder io;    // sources and what formcomp prints
    scratch_folder work;  // where the compiles write
};

TEST_F(OutputPair, TwoCompilesOfOneNameLeaveOneCompilesPair) {
    const file_pair one = compiled_alone("one.frm");
    const file_pair two = compiled_alone("two.frm");
    ASSERT_NE(one.first, two.first);
    ASSERT_NE(one.second, two.second);
    // Unlocked, a mixed pair showed within a few dozen rounds.
    int mixed = 0;
    for (int round = 0; round < 200 && mixed == 0; ++round) {
        const pid_t first = start_formcomp(work.path(), io.path() / "one.frm", io.path() / "one.txt");
        const pid_t second = start_formcomp(work.path(), io.path() / "two.frm", io.path() / "two.txt");
        ASSERT_EQ(exit_code_of(first), 0);
        ASSERT_EQ(exit_code_of(second), 0);
        const file_pair left = pair_in(work.path());
        if (left != one && left != two) ++mixed;
        EXPECT_EQ(mixed, 0) << "round " << round << ": a mixed pair";
        // Neither the lock file nor a temporary file stays.
        ASSERT_EQ(listing(work.path()), just_the_pair);
    }
}

TEST_F(OutputPair, AUsersLockFileIsUsedAndLeftAlone) {
    write_file(work.path() / "F.lock", "the user's own");
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt")), 0);
    EXPECT_EQ(pair_in(work.path()), compiled_alone("one.frm"));
    EXPECT_EQ(read_file(work.path() / "F.lock"), "the user's own");
}

TEST_F(OutputPair, TheFilesKeepTheirMode) {
    if (geteuid() != 0) GTEST_SKIP() << "writing a read-only file takes root";
    write_file(work.path() / "F.sym", "previous");
    write_file(work.path() / "F.obj", "previous");
    fs::permissions(work.path() / "F.sym", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(work.path() / "F.obj", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt")), 0);
    EXPECT_EQ(pair_in(work.path()), compiled_alone("one.frm"));
    EXPECT_EQ(fs::status(work.path() / "F.sym").permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(fs::status(work.path() / "F.obj").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(OutputPair, AFileTheUserMayNotWriteIsRefusedAndStays) {
    if (geteuid() != 0) GTEST_SKIP() << "needs a second user: run as root";
    // nobody may write in the folder and the code file, not the symbol file.
    fs::permissions(work.path(), fs::perms::all);
    write_file(work.path() / "F.sym", "previous symbols");
    write_file(work.path() / "F.obj", "previous code");
    ASSERT_EQ(chown((work.path() / "F.obj").c_str(), nobody, nobody), 0);
    fs::permissions(io.path(), fs::perms::all);
    const pid_t run = start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt", true);
    EXPECT_EQ(exit_code_of(run), 1);
    EXPECT_EQ(read_file(io.path() / "printed.txt"), "Impossibile scrivere il file F.sym linea 4\n");
    EXPECT_EQ(pair_in(work.path()), file_pair("previous symbols", "previous code"));
    EXPECT_EQ(listing(work.path()), just_the_pair);
}

}  // namespace
