// Text mode of the files the system reads and writes, as the Windows C runtime
// has it, implemented here once for every platform (the C library's mode
// flags are never relied on): formcomp reads its source this way, and VENTUS
// reads and writes its text files.
// Reading: CR immediately followed by LF is delivered as LF, any other CR as
// it stands, and byte 0x1A ends the input as if the file ended there.
// Writing: every LF is written as CR LF, every other byte unchanged.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/replacement_file.h"

namespace platform {

// Where a text_mode_reader's raw bytes come from.
class raw_input {
public:
    virtual ~raw_input() = default;
    // Up to size raw bytes into buffer: the number read, 0 at the end of the
    // input, -1 when reading failed.
    virtual long read_raw(char *buffer, std::size_t size) = 0;
};

class text_mode_reader {
public:
    explicit text_mode_reader(raw_input &input);

    // Up to capacity bytes of text; 0 at the end of the input. Text already
    // read is handed on rather than held until more arrives, so a terminal's
    // line is delivered as soon as it is typed. With stop_after_line_feed the
    // text delivered ends after the first LF.
    std::size_t read(char *buffer, std::size_t capacity, bool stop_after_line_feed = false);
    // The bytes up to and including the next LF, at most capacity of them (as
    // a line read into a buffer of capacity + 1 bytes would), reading on until
    // then; 0 at the end of the input.
    std::size_t read_line(char *buffer, std::size_t capacity);
    // The text as a text_mode_writer would write what read() delivers: CR LF
    // pairs as they stand, CR LF for an LF alone, every other byte unchanged;
    // capacity must be at least 2. 0 at the end of the input.
    std::size_t read_written_form(char *buffer, std::size_t capacity);
    // True when reading stopped at a read error rather than at the end.
    bool failed() const { return failed_; }

private:
    // Reads more raw bytes after those not taken yet; false when the input
    // gives no more.
    bool refill();
    // The raw bytes in view that can be taken now: not past a 0x1A, and not a
    // last CR whose follower is still to be read. 0 when more must be read
    // first, or the text has ended (then text_ended_ is set).
    std::size_t takeable();
    std::size_t deliver(char *buffer, std::size_t capacity, bool stop_after_line_feed, bool read_on);

    raw_input &input_;
    std::unique_ptr<char[]> raw_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    std::size_t text_end_ = 0;                   // the first byte 0x1A in view, or end_
    bool previous_was_carriage_return_ = false;  // of the bytes taken by read_written_form
    bool input_ended_ = false;                   // no more raw bytes: end of the input, or a read error
    bool text_ended_ = false;                    // 0x1A reached, or everything taken
    bool failed_ = false;
};

class text_mode_writer {
public:
    explicit text_mode_writer(replacement_file &file);

    // Both return false once any write has failed.
    bool write(const char *text, std::size_t length);
    bool flush();

private:
    replacement_file &file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace platform
