// How formcomp puts NAME.sym and NAME.obj in place, with the real program:
// two compiles of one name at once leave one compile's pair, the files keep
// their mode, and a file the user may not write is refused and stays; a lock
// file that cannot be used is named; a stopped compile removes its temporary
// files, and the next compile removes those of a killed one.
#include "formcomp_program.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
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
    alarm(60);  // a compile that hangs ends, and fails its test
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

// The lock file, created and locked exclusively as formcomp would (but
// without its marker, so it stays): compiles of F wait with their
// temporary files written.
class held_lock {
public:
    explicit held_lock(const fs::path &path) : descriptor_(open(path.c_str(), O_RDWR | O_CREAT, 0666)) {
        EXPECT_EQ(flock(descriptor_, LOCK_EX), 0);
    }
    ~held_lock() { close(descriptor_); }

private:
    int descriptor_;
};

// The names of the temporary files of F.sym and F.obj in a folder.
// The temporary files of F's pair: ".F.sym." or ".F.obj.", 16 lower-case
// hexadecimal digits, ".tmp" (look-alikes do not count).
std::set<std::string> temporaries_in(const fs::path &folder) {
    static const std::regex temporary(R"(\.F\.(sym|obj)\.[0-9a-f]{16}\.tmp)");
    std::set<std::string> names;
    for (const std::string &name : listing(folder))
        if (std::regex_match(name, temporary)) names.insert(name);
    return names;
}

// Waits until `count` temporary files stand in the folder: a compile waiting
// for the lock has written both of its own.
std::set<std::string> wait_for_temporaries(const fs::path &folder, std::size_t count = 2) {
    for (int tries = 0; tries < 3000 && temporaries_in(folder).size() < count; ++tries) usleep(10000);
    return temporaries_in(folder);
}

TEST_F(OutputPair, ALockFileThatCannotBeUsedIsNamed) {
    ASSERT_EQ(mkfifo((work.path() / "F.lock").c_str(), 0666), 0);
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt")), 1);
    EXPECT_EQ(read_file(io.path() / "printed.txt"), "Il file di blocco F.lock non e' un file regolare linea 4\n");
    fs::remove(work.path() / "F.lock");
    fs::create_symlink("F.lock", work.path() / "F.lock");  // a loop: it cannot be opened
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt")), 1);
    EXPECT_EQ(read_file(io.path() / "printed.txt"), "Impossibile aprire il file di blocco F.lock linea 4\n");
    EXPECT_EQ(listing(work.path()), std::set<std::string>{"F.lock"});
    if (geteuid() != 0) return;
    // A lock file that the user nobody may not read.
    fs::remove(work.path() / "F.lock");
    write_file(work.path() / "F.lock", "");
    fs::permissions(work.path() / "F.lock", fs::perms::owner_write);
    fs::permissions(work.path(), fs::perms::all);
    fs::permissions(io.path(), fs::perms::all);
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt", true)), 1);
    EXPECT_EQ(read_file(io.path() / "printed.txt"), "Impossibile aprire il file di blocco F.lock linea 4\n");
}

TEST_F(OutputPair, AStoppedCompileRemovesItsTemporaryFiles) {
    held_lock lock(work.path() / "F.lock");
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t run = start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt");
        ASSERT_EQ(wait_for_temporaries(work.path()).size(), 2u) << number;
        kill(run, number);
        int status = 0;
        waitpid(run, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == number) << number;
        EXPECT_EQ(listing(work.path()), std::set<std::string>{"F.lock"}) << number;
    }
}

TEST_F(OutputPair, TheNextCompileRemovesWhatAKilledCompileLeft) {
    // Names like a temporary file's but not one of F's, and one that a live
    // process holds: all stay.
    const std::set<std::string> others{".F.sym.0123456789abcde.tmp", ".F.sym.0123456789ABCDEF.tmp",
                                       ".F.sym.0123456789abcdef.tmp.x", "F.sym.0123456789abcdef.tmp",
                                       ".G.sym.0123456789abcdef.tmp", ".F.lock.0123456789abcdef.tmp"};
    for (const std::string &name : others) write_file(work.path() / name, "other");
    const fs::path live = work.path() / ".F.obj.00000000000000aa.tmp";
    write_file(live, "live");
    const int held = open(live.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::set<std::string> left;
    {
        held_lock lock(work.path() / "F.lock");
        const pid_t run = start_formcomp(work.path(), io.path() / "two.frm", io.path() / "printed.txt");
        left = wait_for_temporaries(work.path(), 3);  // the live one and the compile's two
        kill(run, SIGKILL);
        exit_code_of(run);
    }
    ASSERT_EQ(left.size(), 3u);  // the killed compile's two and the live one
    ASSERT_EQ(temporaries_in(work.path()), left);
    EXPECT_EQ(exit_code_of(start_formcomp(work.path(), io.path() / "one.frm", io.path() / "printed.txt")), 0);
    EXPECT_EQ(pair_in(work.path()), compiled_alone("one.frm"));
    std::set<std::string> expected = others;
    expected.insert({"F.lock", "F.obj", "F.sym", live.filename().string()});
    EXPECT_EQ(listing(work.path()), expected);
    close(held);
}

}  // namespace
