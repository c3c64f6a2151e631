// ConvertToUnicode and ConvertToAnsi: 8-bit text files to UTF-16 little
// endian with a byte-order mark and back, line by line, every line written
// ending in CR LF. The 8-bit side is taken byte for byte as U+0000..U+00FF.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "hostutil/input_file.h"
#include "platform/replacement_file.h"
#include "platform/text_mode.h"
#include "ventus.h"

namespace ventus {

namespace {

constexpr std::int32_t converted = 1;
constexpr std::int32_t source_not_read = -1;
constexpr std::int32_t target_not_created = -2;
constexpr std::int32_t target_not_written = -3;

// The longest line read: what fits with its zero into a 16384-byte buffer.
// A longer line is converted and ended as several lines of this length.
constexpr std::size_t line_bytes = 16383;
constexpr std::size_t line_units = line_bytes / 2;

constexpr std::uint16_t unit_cr = 0x000D;
constexpr std::uint16_t unit_lf = 0x000A;
constexpr std::uint16_t unit_end_of_text = 0x001A;

// Collects output in large blocks before writing them to the target.
class block_writer {
public:
    explicit block_writer(platform::replacement_file &file) : file_(file) { buffer_.reserve(capacity); }

    bool append(const unsigned char *bytes, std::size_t length) {
        buffer_.insert(buffer_.end(), bytes, bytes + length);
        return buffer_.size() < capacity || flush();
    }
    bool flush() {
        const bool written = file_.write(buffer_.data(), buffer_.size());
        buffer_.clear();
        return written;
    }

private:
    static constexpr std::size_t capacity = 64 * 1024;
    platform::replacement_file &file_;
    std::vector<unsigned char> buffer_;
};

// Reads a file as 16-bit little-endian units. A final odd byte is a unit of
// its own value. The unit U+001A ends the input.
class unit_reader {
public:
    explicit unit_reader(input_file &file)
        : file_(file), raw_(std::make_unique_for_overwrite<unsigned char[]>(block_size)) {}

    // Skips the byte-order mark FF FE when the file begins with it.
    void skip_byte_order_mark() {
        if (fill(2) >= 2 && raw_[position_] == 0xFF && raw_[position_ + 1] == 0xFE) position_ += 2;
    }

    // The units up to and including the next U+000A, at most capacity of
    // them; 0 at the end of the input.
    std::size_t read_line(std::uint16_t *units, std::size_t capacity) {
        std::size_t delivered = 0;
        while (delivered < capacity) {
            const std::size_t available = fill(2);
            if (available == 0) break;
            std::uint16_t unit = raw_[position_];
            if (available >= 2) unit = static_cast<std::uint16_t>(unit | raw_[position_ + 1] << 8);
            if (unit == unit_end_of_text) {
                ended_ = true;
                break;
            }
            position_ += available >= 2 ? 2 : 1;
            units[delivered++] = unit;
            if (unit == unit_lf) break;
        }
        return delivered;
    }
    bool failed() const { return file_.failed(); }

private:
    // Bytes in view, at least wanted of them unless the file ends first.
    std::size_t fill(std::size_t wanted) {
        if (ended_) return 0;
        if (end_ - position_ < wanted) {
            const std::size_t kept = end_ - position_;
            for (std::size_t i = 0; i < kept; ++i) raw_[i] = raw_[position_ + i];
            position_ = 0;
            end_ = kept + file_.read(raw_.get() + kept, block_size - kept);
            if (end_ == 0) ended_ = true;
        }
        return end_ - position_;
    }

    input_file &file_;
    static constexpr std::size_t block_size = 64 * 1024;
    std::unique_ptr<unsigned char[]> raw_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

std::int32_t convert_to_unicode(const char *source, const char *target) {
    input_file input{source};
    if (!input.is_open()) return source_not_read;
    platform::replacement_file output{target};
    if (!output.is_open()) return target_not_created;

    platform::text_mode_reader reader{input};
    block_writer writer{output};
    static constexpr unsigned char byte_order_mark[] = {0xFF, 0xFE};
    if (!writer.append(byte_order_mark, 2)) return target_not_written;

    const auto line = std::make_unique_for_overwrite<char[]>(line_bytes);
    const auto units = std::make_unique_for_overwrite<unsigned char[]>(2 * line_bytes + 4);
    for (;;) {
        const std::size_t length = reader.read_line(line.get(), line_bytes);
        if (length == 0) break;
        // Converted: the bytes before the first CR or LF (an LF can only be
        // the last byte of a line read).
        std::size_t content = line[length - 1] == '\n' ? length - 1 : length;
        if (const void *carriage_return = std::memchr(line.get(), '\r', content)) {
            content = static_cast<std::size_t>(static_cast<const char *>(carriage_return) - line.get());
        }
        for (std::size_t i = 0; i < content; ++i) {
            units[2 * i] = static_cast<unsigned char>(line[i]);
            units[2 * i + 1] = 0;
        }
        std::size_t out = 2 * content;
        static constexpr unsigned char line_end[] = {0x0D, 0x00, 0x0A, 0x00};
        for (unsigned char byte : line_end) units[out++] = byte;
        if (!writer.append(units.get(), out)) return target_not_written;
    }
    if (reader.failed()) return source_not_read;
    input.close();
    if (!writer.flush() || !output.commit()) return target_not_written;
    return converted;
}

std::int32_t convert_to_ansi(const char *source, const char *target) {
    input_file input{source};
    if (!input.is_open()) return source_not_read;
    platform::replacement_file output{target};
    if (!output.is_open()) return target_not_created;

    unit_reader reader{input};
    block_writer writer{output};
    reader.skip_byte_order_mark();

    const auto line = std::make_unique_for_overwrite<std::uint16_t[]>(line_units);
    const auto bytes = std::make_unique_for_overwrite<unsigned char[]>(2 * line_units + 2);
    for (;;) {
        const std::size_t length = reader.read_line(line.get(), line_units);
        if (length == 0) break;
        std::size_t out = 0;
        for (std::size_t i = 0; i < length && line[i] != unit_cr && line[i] != unit_lf; ++i) {
            const std::uint16_t unit = line[i];
            if (unit <= 0xFF) {
                bytes[out++] = static_cast<unsigned char>(unit);
                continue;
            }
            // Characters above U+00FF are not mapped: their non-zero bytes,
            // least significant first.
            if ((unit & 0xFF) != 0) bytes[out++] = static_cast<unsigned char>(unit & 0xFF);
            bytes[out++] = static_cast<unsigned char>(unit >> 8);
        }
        bytes[out++] = '\r';
        bytes[out++] = '\n';
        if (!writer.append(bytes.get(), out)) return target_not_written;
    }
    if (reader.failed()) return source_not_read;
    input.close();
    if (!writer.flush() || !output.commit()) return target_not_written;
    return converted;
}

template <typename Convert>
std::int32_t guarded(Convert convert, const char *source, const char *target) {
    try {
        return convert(source, target);
    } catch (...) {  // out of memory before anything was replaced
        return target_not_written;
    }
}

}  // namespace

}  // namespace ventus

extern "C" {

FORMULA_EXPORT int32_t FORMULA_CALL ConvertToUnicode(const char *source, const char *target) {
    return ventus::guarded(ventus::convert_to_unicode, source, target);
}

FORMULA_EXPORT int32_t FORMULA_CALL ConvertToAnsi(const char *source, const char *target) {
    return ventus::guarded(ventus::convert_to_ansi, source, target);
}

}
