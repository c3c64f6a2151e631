#include "hostutil/text_mode.h"

#include <cstring>

namespace ventus {

namespace {

constexpr std::size_t block_size = 64 * 1024;
constexpr char end_of_text = 0x1A;

}  // namespace

TextModeReader::TextModeReader(InputFile &file)
    : file_(file), raw_(std::make_unique_for_overwrite<char[]>(block_size)) {}

bool TextModeReader::fill() {
    if (ended_) return false;
    if (end_ - position_ >= 2) return true;
    const std::size_t kept = end_ - position_;
    std::memmove(raw_.get(), raw_.get() + position_, kept);
    position_ = 0;
    end_ = kept + file_.read(raw_.get() + kept, block_size - kept);
    if (end_ == 0) ended_ = true;
    return !ended_;
}

std::size_t TextModeReader::read(char *buffer, std::size_t capacity) {
    std::size_t delivered = 0;
    while (delivered < capacity && fill()) {
        // The last byte in view waits for the next round, when its follower
        // is in view too; only at the end of the file is it taken alone.
        const char *raw = raw_.get();
        std::size_t position = position_;
        const std::size_t stop = end_ - position >= 2 ? end_ - 1 : end_;
        while (position < stop && delivered < capacity) {
            const char byte = raw[position];
            if (byte == end_of_text) {
                ended_ = true;
                break;
            }
            ++position;
            if (byte == '\r' && position < end_ && raw[position] == '\n') continue;
            buffer[delivered++] = byte;
        }
        position_ = position;
        if (ended_) break;
    }
    return delivered;
}

std::size_t TextModeReader::read_line(char *buffer, std::size_t capacity) {
    std::size_t delivered = 0;
    while (delivered < capacity && fill()) {
        const char byte = raw_[position_];
        if (byte == end_of_text) {
            ended_ = true;
            break;
        }
        if (byte == '\r' && end_ - position_ >= 2 && raw_[position_ + 1] == '\n') {
            ++position_;
            continue;
        }
        buffer[delivered++] = byte;
        ++position_;
        if (byte == '\n') break;
    }
    return delivered;
}

TextModeWriter::TextModeWriter(ReplacementFile &file)
    : file_(file), buffer_(std::make_unique_for_overwrite<char[]>(block_size)) {}

bool TextModeWriter::write(const char *text, std::size_t length) {
    for (std::size_t i = 0; i < length && !failed_; ++i) {
        // Room for CR LF at every byte.
        if (used_ + 2 > block_size && !flush()) break;
        if (text[i] == '\n') buffer_[used_++] = '\r';
        buffer_[used_++] = text[i];
    }
    return !failed_;
}

bool TextModeWriter::flush() {
    if (!failed_ && used_ > 0 && !file_.write(buffer_.get(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}

}  // namespace ventus
