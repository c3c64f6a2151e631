// A lock held through a lock file, for work that two processes must not do
// at once: formcomp takes it exclusively while it puts a pair of files in
// place, formeval takes it shared while it reads the pair. The constructor
// waits until the lock is held; the destructor lets it go. A lock file that
// did not exist is created holding the text "formula lock file\n", and the
// holder that lets it go while no one else holds it removes it; a file under
// that name with any other contents (the user's own) is used and left as it
// was. A process killed while holding the lock leaves a stale file, which is
// harmless.
// The lock file is opened without blocking and must be a regular file (a
// FIFO or a device under its name is refused, never waited on).
// A shared lock whose file does not exist and cannot be created (a folder the
// caller may not write in) is held without a file: nothing is locked.
// POSIX: flock(2), LOCK_EX or LOCK_SH. Windows: LockFileEx, with or without
// LOCKFILE_EXCLUSIVE_LOCK.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class lock_mode { exclusive, shared };

enum class lock_status {
    held,
    not_a_regular_file,  // a folder, a FIFO or a device stands under the lock's name
    not_opened,          // the lock file could not be created or opened
    not_locked,          // opened, but the system refused the lock
};

class file_lock {
public:
    explicit file_lock(const std::string &path, lock_mode mode = lock_mode::exclusive);
    ~file_lock();
    file_lock(const file_lock &) = delete;
    file_lock &operator=(const file_lock &) = delete;

    bool held() const { return status_ == lock_status::held; }
    // Why the lock is not held.
    lock_status status() const { return status_; }

private:
    std::string path_;
    std::intptr_t handle_ = -1;  // the descriptor, or the Windows handle; -1 when held without a file
    lock_status status_ = lock_status::not_opened;
};

}  // namespace platform
