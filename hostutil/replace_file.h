// Writes a file through a temporary file in the target's folder that is
// renamed over the target only when everything was written. Until then an
// existing target stays as it was; a replacement that is not committed
// removes its temporary file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace ventus {

class ReplacementFile {
public:
    // Creates the temporary file; is_open() tells whether that worked.
    explicit ReplacementFile(const char *target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    bool is_open() const { return file_ != nullptr; }
    // Writes all bytes or fails; after a failure every later write fails too.
    bool write(const void *data, std::size_t length);
    // Closes the temporary file and renames it over the target. False when
    // an earlier write, the close or the rename failed; the target is then
    // untouched and the temporary file gone.
    bool commit();

private:
    struct Closer {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    void discard();

    std::string target_;
    std::string temporary_;
    std::unique_ptr<std::FILE, Closer> file_;
    bool failed_ = false;
};

}  // namespace ventus
