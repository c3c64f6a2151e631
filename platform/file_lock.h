// An exclusive lock held through a lock file, for work that two processes
// must not do at once (formcomp putting a pair of files in place). The
// constructor waits until the lock is held; the destructor lets it go. A lock
// file that did not exist is created and removed again by its creator, so
// none is left behind; one that existed before is left as it was.
// POSIX: flock(2). Windows: LockFileEx.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class file_lock {
public:
    explicit file_lock(const std::string &path);
    ~file_lock();
    file_lock(const file_lock &) = delete;
    file_lock &operator=(const file_lock &) = delete;

    // False when the lock file could not be opened or locked.
    bool held() const { return held_; }

private:
    std::string path_;
    std::intptr_t handle_ = -1;  // the descriptor, or the Windows handle
    bool held_ = false;
    bool created_ = false;  // removed again when let go
};

}  // namespace platform
