#include "hostutil/replace_file.h"

#include "platform/new_file.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace ventus {

namespace {

std::string temporary_name_in_folder_of(const std::string &target, std::uint64_t number) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    char name[40];
    std::snprintf(name, sizeof name, ".ventus-%016llx.tmp", static_cast<unsigned long long>(number));
    return (folder / name).string();
}

}  // namespace

ReplacementFile::ReplacementFile(const char *target) {
    if (target == nullptr || target[0] == '\0') return;
    target_ = target;
    std::random_device entropy;
    // Created exclusively, so an existing file of the same name is never
    // taken over; another name is tried instead.
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        temporary_ = temporary_name_in_folder_of(target_, std::uint64_t{entropy()} << 32 | entropy());
        file_.reset(platform::create_new_file(temporary_.c_str()));
    }
    if (!file_) return;
    // Our callers write in large blocks; with no stream buffer every write
    // failure shows at the write itself.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

ReplacementFile::~ReplacementFile() { discard(); }

bool ReplacementFile::write(const void *data, std::size_t length) {
    if (!file_ || failed_) return false;
    if (length > 0 && std::fwrite(data, 1, length, file_.get()) != length) failed_ = true;
    return !failed_;
}

bool ReplacementFile::commit() {
    if (!file_ || failed_) {
        discard();
        return false;
    }
    const bool closed = std::fclose(file_.release()) == 0;
    std::error_code error;
    if (closed) {
        // The replacement keeps the permissions of the file it replaces.
        const auto existing = std::filesystem::status(target_, error);
        if (!error && std::filesystem::is_regular_file(existing)) {
            std::filesystem::permissions(temporary_, existing.permissions(), error);
        }
        error.clear();
        std::filesystem::rename(temporary_, target_, error);
    }
    if (!closed || error) {
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacementFile::discard() {
    file_.reset();
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace ventus
