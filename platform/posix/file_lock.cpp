#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/open_file_name.h"

namespace platform {

namespace {

// What a lock file made here holds, so that whoever lets it go last can tell
// it from a file of the user's and remove it.
constexpr char marker[] = "formula lock file\n";
constexpr std::size_t marker_length = sizeof marker - 1;

bool holds_marker(int descriptor) {
    char text[marker_length + 1];
    return pread(descriptor, text, sizeof text, 0) == static_cast<ssize_t>(marker_length) &&
           std::memcmp(text, marker, marker_length) == 0;
}

bool is_regular_file(int descriptor) {
    struct stat status;
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

// True when something other than a regular file stands under the name.
bool names_something_else(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

}  // namespace

file_lock::file_lock(const std::string &path, lock_mode mode) : path_(path) {
    // Never blocks on opening: a FIFO under the name is refused, not waited on.
    constexpr int open_flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int operation = mode == lock_mode::shared ? LOCK_SH : LOCK_EX;
    // A holder removes the file only while it holds the lock alone, so a lock
    // taken on the file that the path still names excludes every other holder.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (names_something_else(path)) {
            status_ = lock_status::not_a_regular_file;
            return;
        }
        int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | open_flags, 0666);
        const bool created = descriptor >= 0;
        if (created && ::write(descriptor, marker, marker_length) != static_cast<ssize_t>(marker_length)) {
            ::close(descriptor);
            ::unlink(path.c_str());
            return;
        }
        if (!created) {
            const int create_error = errno;
            descriptor = ::open(path.c_str(), O_RDONLY | open_flags);
            if (descriptor < 0 && errno == ENOENT) {
                if (create_error == EEXIST) continue;  // removed between the two opens
                // No lock file, and none can be made here: nor can a writer
                // without the rights this caller lacks.
                if (mode == lock_mode::shared) status_ = lock_status::held;
                return;
            }
            if (descriptor < 0) return;
        }
        if (!is_regular_file(descriptor)) {
            ::close(descriptor);
            status_ = lock_status::not_a_regular_file;
            return;
        }
        int locked;
        do {
            locked = flock(descriptor, operation);
        } while (locked != 0 && errno == EINTR);
        // The holder before may have removed the file while this one waited.
        if (locked == 0 && still_names(path.c_str(), descriptor)) {
            handle_ = descriptor;
            status_ = lock_status::held;
            return;
        }
        ::close(descriptor);
        if (locked != 0) {
            status_ = lock_status::not_locked;
            return;
        }
    }
}

file_lock::~file_lock() {
    if (!held() || handle_ < 0) return;
    const int descriptor = static_cast<int>(handle_);
    // A file made here is removed by whoever holds it last: only when no one
    // else holds it (converting the lock may let it go, which comes next).
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && holds_marker(descriptor)) ::unlink(path_.c_str());
    ::close(descriptor);
}

}  // namespace platform
