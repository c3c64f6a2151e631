#include "compiler/text_input.h"

namespace formcomp {

namespace {
constexpr char end_of_text_mark = 26;
}

void text_input::attach(input_source *source) noexcept {
    source_ = source;
    raw_position_ = raw_length_ = 0;
    ended_ = failed_ = false;
}

bool text_input::refill() {
    raw_position_ = raw_length_ = 0;
    long count = source_ ? source_->read(raw_, raw_size) : 0;
    if (count < 0) {
        failed_ = true;
        return false;
    }
    if (count == 0) {
        ended_ = true;
        return false;
    }
    raw_length_ = static_cast<std::size_t>(count);
    return true;
}

long text_input::read(char *buffer, std::size_t size, bool stop_after_newline) {
    std::size_t count = 0;
    while (count < size && !ended_) {
        if (raw_position_ == raw_length_) {
            // Hand on what is already there rather than wait for more.
            if (count > 0) break;
            if (!refill()) break;
        }
        char c = raw_[raw_position_++];
        if (c == end_of_text_mark) {
            ended_ = true;
            break;
        }
        if (c == '\r') {
            // Whether a line feed follows may only show in the next piece.
            if (raw_position_ == raw_length_ && !refill() && failed_) return -1;
            if (raw_position_ < raw_length_ && raw_[raw_position_] == '\n') {
                ++raw_position_;
                c = '\n';
            }
        }
        buffer[count++] = c;
        if (stop_after_newline && c == '\n') break;
    }
    if (count == 0 && failed_) return -1;
    return static_cast<long>(count);
}

}  // namespace formcomp
