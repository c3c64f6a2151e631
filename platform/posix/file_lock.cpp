#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

// True when path still names the file open as descriptor: the holder before
// may have removed it while this process waited for the lock.
bool still_named(int descriptor, const std::string &path) {
    struct stat open_file, named;
    return fstat(descriptor, &open_file) == 0 && stat(path.c_str(), &named) == 0 &&
           open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

}  // namespace

file_lock::file_lock(const std::string &path) : path_(path) {
    // A holder removes the file only while it holds the lock, so a lock taken
    // on the file that the path still names excludes every other holder.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        created_ = descriptor >= 0;
        if (!created_ && errno == EEXIST) descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor < 0) {
            if (errno == ENOENT) continue;  // removed between the two opens
            return;
        }
        int locked;
        do {
            locked = flock(descriptor, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked == 0 && still_named(descriptor, path)) {
            handle_ = descriptor;
            held_ = true;
            return;
        }
        ::close(descriptor);
        if (locked != 0) return;
    }
}

file_lock::~file_lock() {
    if (!held_) return;
    if (created_) ::unlink(path_.c_str());
    ::close(static_cast<int>(handle_));
}

}  // namespace platform
