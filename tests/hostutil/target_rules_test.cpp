// What the text-file exports do with a target that exists: a target the
// caller could not open for writing is refused with the export's result for
// it and stays byte for byte, with no temporary file left; a replaced file
// keeps its mode and owner; a symbolic link is followed; a FIFO or a device
// is written directly. Run against real files, links, FIFOs and permissions.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;
namespace fs = std::filesystem;

// The writers of text files, with their result for a refused target.
struct text_writer {
    const char *name;
    int (*call)(const char *source, const char *target);
    int refused;
    std::string output;  // of the source "casa\n"
};

const text_writer writers[] = {
    {"ReplChar", [](const char *s, const char *t) { return int{ReplChar(s, t, 'a', 'o')}; }, 0, "coso\r\n"},
    {"ConvertToUnicode", [](const char *s, const char *t) { return int{ConvertToUnicode(s, t)}; }, -2,
     std::string("\xFF\xFE" "c\0a\0s\0a\0\r\0\n\0", 14)},
    {"ConvertToAnsi", [](const char *s, const char *t) { return int{ConvertToAnsi(s, t)}; }, -2, "casa\r\n"},
};

class TargetRulesTest : public ::testing::Test {
protected:
    void SetUp() override { write_file(source, "casa\n"); }

    temporary_folder folder;
    std::string source = folder.file("source.txt");
    std::string target = folder.file("target.txt");
};

#ifndef _WIN32
constexpr uid_t nobody = 65534;

bool running_as_root() { return geteuid() == 0; }

// Runs call as the unprivileged user nobody, in a child process, and returns
// its result; the test process keeps its own user.
int as_nobody(const std::function<int()> &call) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(100);
        _exit(static_cast<unsigned char>(call()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : -100;
}

// A call by an unprivileged caller: nobody when the tests run as root.
int unprivileged(const std::function<int()> &call) { return running_as_root() ? as_nobody(call) : call(); }

struct stat status_of(const std::string &path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}
#else
int unprivileged(const std::function<int()> &call) { return call(); }
#endif

TEST_F(TargetRulesTest, AReadOnlyTargetIsRefusedAndStaysAsItWas) {
#ifndef _WIN32
    // The caller owns the file and may write in the folder: only the file's
    // mode keeps it from being written.
    fs::permissions(folder.path(), fs::perms::all);
#endif
    for (const text_writer &writer : writers) {
        write_file(target, "previous");
        fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifndef _WIN32
        if (running_as_root()) {
            ASSERT_EQ(chown(target.c_str(), nobody, nobody), 0);
        }
#endif
        EXPECT_EQ(unprivileged([&] { return writer.call(source.c_str(), target.c_str()); }), writer.refused)
            << writer.name;
        EXPECT_EQ(read_file(target), "previous") << writer.name;
        EXPECT_EQ(folder_listing(folder.path()), "source.txt\ntarget.txt\n") << writer.name;
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
        fs::remove(target);
    }
}

#ifndef _WIN32
TEST_F(TargetRulesTest, SomeoneElsesFileIsRefusedEvenInAWritableFolder) {
    if (!running_as_root()) GTEST_SKIP() << "needs a second user: run as root";
    fs::permissions(folder.path(), fs::perms::all);
    write_file(target, "previous");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read);
    for (const text_writer &writer : writers) {
        EXPECT_EQ(as_nobody([&] { return writer.call(source.c_str(), target.c_str()); }), writer.refused)
            << writer.name;
        EXPECT_EQ(read_file(target), "previous") << writer.name;
        EXPECT_EQ(status_of(target).st_uid, 0u) << writer.name;
        EXPECT_EQ(folder_listing(folder.path()), "source.txt\ntarget.txt\n") << writer.name;
    }
}

TEST_F(TargetRulesTest, AReplacedFileKeepsItsModeAndOwner) {
    for (const text_writer &writer : writers) {
        write_file(target, "previous");
        ASSERT_EQ(chmod(target.c_str(), 0640), 0);
        if (running_as_root()) {
            ASSERT_EQ(chown(target.c_str(), 1234, 4321), 0);
        }
        EXPECT_EQ(writer.call(source.c_str(), target.c_str()), 1) << writer.name;
        EXPECT_EQ(read_file(target), writer.output) << writer.name;
        const struct stat replaced = status_of(target);
        EXPECT_TRUE(S_ISREG(replaced.st_mode)) << writer.name;
        EXPECT_EQ(replaced.st_mode & 07777, 0640u) << writer.name;
        if (running_as_root()) {
            EXPECT_EQ(replaced.st_uid, 1234u) << writer.name;
            EXPECT_EQ(replaced.st_gid, 4321u) << writer.name;
        }
    }
    // A read-only file that the caller may write all the same (root) stays read-only.
    if (running_as_root()) {
        ASSERT_EQ(chmod(target.c_str(), 0444), 0);
        EXPECT_EQ(ReplChar(source.c_str(), target.c_str(), 'a', 'e'), 1);
        EXPECT_EQ(read_file(target), "cese\r\n");
        EXPECT_EQ(status_of(target).st_mode & 07777, 0444u);
    }
}

TEST_F(TargetRulesTest, ASymbolicLinkIsFollowed) {
    fs::create_directory(folder.file("inner"));
    const std::string real = folder.file("inner/real.txt");
    fs::create_symlink("inner/real.txt", target);
    // A link to a link, through an absolute name.
    const std::string outer = folder.file("outer.txt");
    fs::create_symlink(target, outer);
    for (const text_writer &writer : writers) {
        write_file(real, "previous");
        EXPECT_EQ(writer.call(source.c_str(), outer.c_str()), 1) << writer.name;
        EXPECT_TRUE(fs::is_symlink(target)) << writer.name;
        EXPECT_TRUE(fs::is_symlink(outer)) << writer.name;
        EXPECT_EQ(read_file(real), writer.output) << writer.name;
        EXPECT_EQ(folder_listing(folder.file("inner")), "real.txt\n") << writer.name;
        // A link to a file that does not exist yet: the file is created.
        fs::remove(real);
        EXPECT_EQ(writer.call(source.c_str(), target.c_str()), 1) << writer.name;
        EXPECT_TRUE(fs::is_symlink(target)) << writer.name;
        EXPECT_EQ(read_file(real), writer.output) << writer.name;
    }
}

TEST_F(TargetRulesTest, AFifoIsWrittenDirectly) {
    ASSERT_EQ(mkfifo(target.c_str(), 0600), 0);
    for (const text_writer &writer : writers) {
        // Opened for reading first, so the writer's open does not wait; the
        // output is small enough to wait in the pipe until it is read.
        const int reader = ::open(target.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        EXPECT_EQ(writer.call(source.c_str(), target.c_str()), 1) << writer.name;
        char bytes[256];
        const ssize_t count = ::read(reader, bytes, sizeof bytes);
        ::close(reader);
        EXPECT_EQ(std::string(bytes, count > 0 ? static_cast<std::size_t>(count) : 0), writer.output)
            << writer.name;
        EXPECT_TRUE(S_ISFIFO(status_of(target).st_mode)) << writer.name;
        EXPECT_EQ(folder_listing(folder.path()), "source.txt\ntarget.txt\n") << writer.name;
    }
}

TEST_F(TargetRulesTest, ADeviceIsWrittenDirectly) {
    // A node of the null device of our own, so that a fault cannot replace
    // the system's /dev/null.
    const std::string device = folder.file("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "cannot make a device node here";
    const int probe = ::open(device.c_str(), O_WRONLY);
    if (probe < 0) GTEST_SKIP() << "device nodes cannot be opened here";
    ::close(probe);
    for (const text_writer &writer : writers) {
        EXPECT_EQ(writer.call(source.c_str(), device.c_str()), 1) << writer.name;
        const struct stat status = status_of(device);
        EXPECT_TRUE(S_ISCHR(status.st_mode)) << writer.name;
        EXPECT_EQ(status.st_rdev, makedev(1, 3)) << writer.name;
        EXPECT_EQ(folder_listing(folder.path()), "null\nsource.txt\n") << writer.name;
    }
}
#else
TEST_F(TargetRulesTest, TheNullDeviceIsWrittenDirectly) {
    for (const text_writer &writer : writers) {
        EXPECT_EQ(writer.call(source.c_str(), "NUL"), 1) << writer.name;
    }
}
#endif

}  // namespace
