// Text-mode reading of the raw input, done here rather than by the C runtime
// so that it is the same on every platform: a carriage return directly
// followed by a line feed is read as the line feed alone, and byte 26
// (Ctrl-Z) ends the input as if the source ended there.
#pragma once

#include "compiler/input_source.h"

#include <cstddef>

namespace formcomp {

class text_input {
public:
    void attach(input_source *source) noexcept;

    // Up to `size` characters into `buffer`: the number read (at least one
    // unless the input has ended), 0 at the end of the input, -1 when reading
    // failed. With `stop_after_newline` the read ends after the first line
    // feed, so that a terminal's line is handed on as soon as it is typed.
    long read(char *buffer, std::size_t size, bool stop_after_newline);

private:
    // Refills the raw buffer; false at the end of the input or on failure.
    bool refill();

    static constexpr std::size_t raw_size = 8192;
    input_source *source_ = nullptr;
    char raw_[raw_size];
    std::size_t raw_position_ = 0;
    std::size_t raw_length_ = 0;
    bool ended_ = false;   // end of the raw input or byte 26 seen
    bool failed_ = false;  // the last raw read failed
};

}  // namespace formcomp
