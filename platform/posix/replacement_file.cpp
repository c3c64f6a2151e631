#include "platform/replacement_file.h"
#include "platform/replacement_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "platform/posix/live_temporaries.h"
#include "platform/posix/open_file_name.h"

namespace platform {

struct replacement_file::platform_state {
    std::string target;     // the file replaced, symbolic links followed
    std::string temporary;  // empty when the target is written directly
    int descriptor = -1;
    bool existed = false;  // the target existed: its mode and owner are kept
    struct stat previous {};
    bool failed = false;
    int tracked_slot = -1;  // the temporary's entry among the live temporaries
};

namespace {

// Symbolic links are followed to a name that is not a link: the file itself,
// or the name it is to be created under. Relative links count from the
// folder of the link.
bool follow_links(std::string &path, int &code) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return true;
        std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length < 0) {
            code = errno;
            return false;
        }
        if (static_cast<std::size_t>(length) == link.size()) continue;  // grew meanwhile: again
        link.resize(static_cast<std::size_t>(length));
        if (link.front() == '/') {
            path = link;
        } else {
            const std::size_t slash = path.rfind('/');
            path = slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
        }
    }
    code = ELOOP;
    return false;
}

// The live temporaries: the paths of the temporary files open in this
// process, each in a fixed slot that a signal handler can read without
// locking or allocating. A slot is claimed, filled, then marked live; the
// handler reads live slots only. A path too long for a slot, or one beyond
// the table's size, is not tracked (and then not removed on a signal).
enum slot_state : int { free_slot, filling, live };
struct tracked_path {
    std::atomic<int> state{free_slot};
    char path[4096];
};
constexpr std::size_t tracked_capacity = 64;
tracked_path tracked[tracked_capacity];

int track(const std::string &path) {
    if (path.size() >= sizeof tracked[0].path) return -1;
    for (std::size_t i = 0; i < tracked_capacity; ++i) {
        int expected = free_slot;
        if (!tracked[i].state.compare_exchange_strong(expected, filling)) continue;
        std::memcpy(tracked[i].path, path.c_str(), path.size() + 1);
        tracked[i].state.store(live);
        return static_cast<int>(i);
    }
    return -1;
}

void untrack(int slot) {
    if (slot >= 0) tracked[slot].state.store(free_slot);
}


// The count written: less than length only when writing failed (errno).
std::size_t write_all(int descriptor, const void *data, std::size_t length) {
    const char *bytes = static_cast<const char *>(data);
    std::size_t written = 0;
    while (written < length) {
        const ssize_t count = ::write(descriptor, bytes + written, length - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    return written;
}

// Holds off SIGINT, SIGTERM and SIGHUP while a temporary file is created and
// entered in the table that their handler reads, so that the handler never
// finds a temporary file that exists but is not listed.
class interrupts_held {
public:
    interrupts_held() noexcept {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~interrupts_held() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    interrupts_held(const interrupts_held &) = delete;
    interrupts_held &operator=(const interrupts_held &) = delete;

private:
    sigset_t previous_;
};

}  // namespace

replacement_file::replacement_file() = default;

replacement_file::replacement_file(const char *target) { open(target); }

replacement_file::~replacement_file() { discard(); }

bool replacement_file::is_open() const { return state_ && state_->descriptor >= 0; }

// Keeps the code of the first failure (over that of a write_some() shortfall).
void replacement_file::fail(long code) {
    if (!state_ || !state_->failed) error_ = code;
    if (state_) state_->failed = true;
}

bool replacement_file::open(const char *target) {
    discard();
    error_ = 0;
    if (target == nullptr || target[0] == '\0') {
        error_ = ENOENT;
        return false;
    }
    auto state = std::make_unique<platform_state>();
    state->target = target;
    int code = 0;
    if (!follow_links(state->target, code)) {
        error_ = code;
        return false;
    }
    const char *path = state->target.c_str();
    if (stat(path, &state->previous) == 0) {
        if (S_ISREG(state->previous.st_mode)) {
            // Refused unless the caller could open the file for writing
            // itself; opening without O_TRUNC leaves it as it is.
            const int probe = ::open(path, O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            if (probe < 0) {
                error_ = errno;
                return false;
            }
            ::close(probe);
            state->existed = true;
        } else if (!S_ISDIR(state->previous.st_mode)) {
            // A device or a FIFO: written as it is, in place.
            state->descriptor = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
            if (state->descriptor < 0) {
                error_ = errno;
                return false;
            }
            state_ = std::move(state);
            return true;
        }
        // A folder: putting the file in place will fail (EISDIR).
    } else if (errno != ENOENT) {
        error_ = errno;
        return false;
    }

    // Created exclusively, so an existing file of the same name is never
    // taken over; another name is tried instead. A replacement starts
    // private and gets the target's mode when it is complete; a new file
    // gets the mode that creating it directly would give. The temporary file
    // is locked for as long as it is open, which tells
    // remove_abandoned_replacements that a live process holds it; one that
    // was taken for abandoned before it was locked is given up for another.
    const mode_t mode = state->existed ? 0600 : 0666;
    const replacement_names pattern(state->target, "/");
    std::random_device entropy;
    const interrupts_held held;
    code = EEXIST;
    for (int attempt = 0; attempt < 100 && code == EEXIST; ++attempt) {
        state->temporary = pattern.temporary(std::uint64_t{entropy()} << 32 | entropy());
        const int descriptor =
            ::open(state->temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (descriptor < 0) {
            code = errno;
            continue;
        }
        // A file system without locks leaves the file unlocked (and unprotected).
        if (flock(descriptor, LOCK_EX) != 0 || still_names(state->temporary.c_str(), descriptor)) {
            state->descriptor = descriptor;
            break;
        }
        ::close(descriptor);  // removed meanwhile: another name
    }
    if (state->descriptor < 0) {
        error_ = code;
        return false;
    }
    state->tracked_slot = track(state->temporary);
    state_ = std::move(state);
    return true;
}

bool replacement_file::write(const void *data, std::size_t length) {
    if (!is_open() || state_->failed) return false;
    if (write_all(state_->descriptor, data, length) < length) fail(errno);
    return !state_->failed;
}

std::size_t replacement_file::write_some(const void *data, std::size_t length) {
    if (!is_open() || state_->failed) return 0;
    const std::size_t written = write_all(state_->descriptor, data, length);
    if (written < length) error_ = errno;
    return written;
}

bool replacement_file::commit() {
    if (!is_open()) return false;
    platform_state &state = *state_;
    if (!state.failed && !state.temporary.empty() && state.existed) {
        // The owner first: changing it may clear the set-user-ID bits that
        // the mode then sets again. Only a privileged caller can give a file
        // away; the group alone may still be kept.
        if (fchown(state.descriptor, state.previous.st_uid, state.previous.st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                fchown(state.descriptor, static_cast<uid_t>(-1), state.previous.st_gid);
        }
        if (fchmod(state.descriptor, state.previous.st_mode & 07777) != 0) fail(errno);
    }
    const int descriptor = state.descriptor;
    state.descriptor = -1;
    // A second descriptor keeps the temporary file locked until it is in place.
    const int keeper = ::dup(descriptor);
    if (::close(descriptor) != 0 && !state.failed) fail(errno);
    if (!state.failed && !state.temporary.empty() &&
        std::rename(state.temporary.c_str(), state.target.c_str()) != 0) {
        fail(errno);
    }
    if (keeper >= 0) ::close(keeper);
    const bool committed = !state.failed;
    if (committed) state.temporary.clear();
    discard();
    return committed;
}

void replacement_file::discard() {
    if (!state_) return;
    if (state_->descriptor >= 0) ::close(state_->descriptor);
    if (!state_->temporary.empty()) ::unlink(state_->temporary.c_str());
    untrack(state_->tracked_slot);  // after the unlink: a signal before it still removes the file
    state_.reset();
}

void remove_abandoned_replacements(const char *target) {
    if (target == nullptr || target[0] == '\0') return;
    std::string path = target;
    int code = 0;
    if (!follow_links(path, code)) return;
    const replacement_names pattern(path, "/");
    DIR *folder = opendir(pattern.folder.empty() ? "." : pattern.folder.c_str());
    if (folder == nullptr) return;
    while (const dirent *entry = readdir(folder)) {
        if (!pattern.matches(entry->d_name)) continue;
        const std::string candidate = pattern.folder + entry->d_name;
        const int descriptor = ::open(candidate.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
        if (descriptor < 0) continue;
        struct stat status;
        // Unlocked: no live replacement holds it.
        if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && flock(descriptor, LOCK_EX | LOCK_NB) == 0 &&
            still_names(candidate.c_str(), descriptor)) {
            ::unlink(candidate.c_str());
        }
        ::close(descriptor);
    }
    closedir(folder);
}

void remove_live_temporaries() noexcept {
    for (tracked_path &entry : tracked)
        if (entry.state.load() == live) ::unlink(entry.path);
}

}  // namespace platform
