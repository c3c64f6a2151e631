// Text mode of the host's files, implemented here on every platform.
// Reading: CR immediately followed by LF is delivered as LF, any other CR as
// it stands, and byte 0x1A ends the input as if the file ended there.
// Writing: every LF is written as CR LF, every other byte unchanged.
#pragma once

#include <cstddef>
#include <memory>

#include "hostutil/input_file.h"
#include "hostutil/replace_file.h"

namespace ventus {

class TextModeReader {
public:
    explicit TextModeReader(InputFile &file);

    // Delivers up to capacity bytes of text; 0 at the end of the input.
    std::size_t read(char *buffer, std::size_t capacity);
    // Delivers the bytes up to and including the next LF, at most capacity
    // of them (as a line read into a buffer of capacity + 1 bytes would);
    // 0 at the end of the input.
    std::size_t read_line(char *buffer, std::size_t capacity);
    // Delivers the text as a TextModeWriter would write what read() delivers:
    // CR LF pairs as they stand, CR LF for an LF alone, every other byte
    // unchanged; capacity must be at least 2. 0 at the end of the input.
    std::size_t read_written_form(char *buffer, std::size_t capacity);
    // True when reading stopped at a read error rather than at the end.
    bool failed() const { return file_.failed(); }

private:
    // Makes at least two raw bytes available (fewer only at the end of the
    // file), keeping the bytes not yet consumed. False when none are left.
    bool fill();
    std::size_t deliver(char *buffer, std::size_t capacity, bool stop_after_line_feed);

    InputFile &file_;
    std::unique_ptr<char[]> raw_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    std::size_t text_end_ = 0;  // the first byte 0x1A in view, or end_
    bool previous_was_carriage_return_ = false;  // of the bytes taken so far
    bool ended_ = false;
};

class TextModeWriter {
public:
    explicit TextModeWriter(ReplacementFile &file);

    // Both return false once any write has failed.
    bool write(const char *text, std::size_t length);
    bool flush();

private:
    ReplacementFile &file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace ventus
