// ReplChar: a text-mode copy of a file with one character replaced.
#include <cstdint>
#include <memory>

#include "hostutil/input_file.h"
#include "platform/replacement_file.h"
#include "platform/text_mode.h"
#include "ventus.h"

namespace ventus {

namespace {

// 1 when the copy is in place, 0 when the source could not be opened or
// read, or the target could not be written (an existing target then stays
// as it was).
std::int32_t replace_character(const char *source, const char *target, char old_char, char new_char) {
    input_file input{source};
    if (!input.is_open()) return 0;
    platform::replacement_file output{target};
    if (!output.is_open()) return 0;

    platform::text_mode_reader reader{input};
    constexpr std::size_t block_size = 64 * 1024;
    const auto text = std::make_unique_for_overwrite<char[]>(block_size);
    char *bytes = text.get();
    const auto replace = [&](std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) bytes[i] = bytes[i] == old_char ? new_char : bytes[i];
    };
    if (old_char != '\r' && old_char != '\n' && new_char != '\r' && new_char != '\n') {
        // Line ends are neither replaced nor made: replacing in the text as it
        // will be written gives the same bytes with one pass less.
        while (const std::size_t length = reader.read_written_form(bytes, block_size)) {
            replace(length);
            if (!output.write(bytes, length)) return 0;
        }
    } else {
        platform::text_mode_writer writer{output};
        while (const std::size_t length = reader.read(bytes, block_size)) {
            replace(length);
            if (!writer.write(bytes, length)) return 0;
        }
        if (!writer.flush()) return 0;
    }
    if (reader.failed()) return 0;
    input.close();
    return output.commit() ? 1 : 0;
}

}  // namespace

}  // namespace ventus

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL ReplChar(const char *source, const char *target,
                                                        int32_t old_char, int32_t new_char) {
    try {
        return ventus::replace_character(source, target, static_cast<char>(old_char & 0xFF),
                                         static_cast<char>(new_char & 0xFF));
    } catch (...) {  // out of memory
        return 0;
    }
}
