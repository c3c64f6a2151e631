// Message texts that fit a fixed buffer.
#pragma once

#include <cstddef>

namespace ventus {

// Formats `format`, which holds one %s for `name` and at most one %ld for
// `number`, into `buffer` of `size` bytes. When the text would not fit, the
// name is shortened to "..." and its last bytes (where a path keeps its file
// name), so that the message keeps its own words and the number; the text is
// never cut in the middle of a UTF-8 sequence of the name.
void compose_message(char *buffer, std::size_t size, const char *format, const char *name,
                     long number = 0);

}  // namespace ventus
