// The source text as the scanner reads it: the raw input in text mode
// (platform/text_mode.h), so that it is the same on every platform.
#pragma once

#include "compiler/input_source.h"
#include "platform/text_mode.h"

#include <cstddef>
#include <optional>

namespace formcomp {

class text_input {
public:
    void attach(input_source *source);

    // Up to `size` characters into `buffer`: the number read (at least one
    // unless the input has ended), 0 at the end of the input, -1 when reading
    // failed. With `stop_after_newline` the read ends after the first line
    // feed, so that a terminal's line is handed on as soon as it is typed.
    long read(char *buffer, std::size_t size, bool stop_after_newline);

private:
    // The input source as the text-mode reader's raw input.
    struct raw_source final : platform::raw_input {
        input_source *source = nullptr;
        long read_raw(char *buffer, std::size_t size) override { return source->read(buffer, size); }
    };

    raw_source raw_;
    std::optional<platform::text_mode_reader> reader_;
};

}  // namespace formcomp
