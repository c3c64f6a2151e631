#include "platform/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace platform {

struct replacement_file::platform_state {
    std::string target;     // the file replaced, symbolic links followed
    std::string temporary;  // empty when the target is written directly
    int descriptor = -1;
    bool existed = false;  // the target existed: its mode and owner are kept
    struct stat previous {};
    bool failed = false;
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

// A name for the temporary file beside target: hidden, and telling whose it is.
std::string temporary_name(const std::string &target, std::uint64_t number) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // Kept short enough that the name fits wherever the target's name fits.
    const std::string base = target.substr(folder.size(), 64);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(number));
    return folder + "." + base + suffix;
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
    // gets the mode that creating it directly would give.
    const mode_t mode = state->existed ? 0600 : 0666;
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        state->temporary = temporary_name(state->target, std::uint64_t{entropy()} << 32 | entropy());
        state->descriptor =
            ::open(state->temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (state->descriptor >= 0 || errno != EEXIST) break;
    }
    if (state->descriptor < 0) {
        error_ = errno;
        return false;
    }
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
    if (::close(descriptor) != 0 && !state.failed) fail(errno);
    if (!state.failed && !state.temporary.empty() &&
        std::rename(state.temporary.c_str(), state.target.c_str()) != 0) {
        fail(errno);
    }
    const bool committed = !state.failed;
    if (committed) state.temporary.clear();
    discard();
    return committed;
}

void replacement_file::discard() {
    if (!state_) return;
    if (state_->descriptor >= 0) ::close(state_->descriptor);
    if (!state_->temporary.empty()) ::unlink(state_->temporary.c_str());
    state_.reset();
}

}  // namespace platform
