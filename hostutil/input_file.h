// A file opened for reading in binary mode, closed by its owner; reads go
// straight into the caller's buffer in large blocks.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/file_handle.h"
#include "platform/text_mode.h"

namespace ventus {

class input_file final : public platform::raw_input {
public:
    // Opens path for reading; is_open() tells whether that worked.
    explicit input_file(const char *path);

    bool is_open() const { return file_ != nullptr; }
    // Reads up to capacity bytes; fewer only at the end of the file or on
    // a read error (then failed() is true). 0 at the end.
    std::size_t read(void *buffer, std::size_t capacity);
    bool failed() const { return failed_; }
    // read() for a text_mode_reader: -1 instead of 0 after a read error.
    long read_raw(char *buffer, std::size_t capacity) override;
    // Closes the file early: Windows cannot rename a replacement over a file
    // that is still open, which matters when source and target are the same.
    void close() { file_.reset(); }

private:
    platform::file_handle file_;
    bool failed_ = false;
};

}  // namespace ventus
