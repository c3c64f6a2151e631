#include "tools/formeval/standard_output.h"

namespace formeval {

bool write_checked(std::FILE *stream, std::string_view text) {
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return written && !std::ferror(stream);
}

bool finish_standard_output() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

}  // namespace formeval
