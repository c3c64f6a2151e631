// printf-style formatting into a std::string, however wide the result turns
// out to be. Short results (most fields of the compiled texts and listings)
// take one snprintf into a buffer on the stack.
#pragma once

#include <cstdio>
#include <string>

namespace formula {

// Appends the text that format and args give to out; nothing when the format
// fails.
template <typename... Args>
void append_formatted(std::string &out, const char *format, Args... args) {
    char small[64];
    const int length = std::snprintf(small, sizeof small, format, args...);
    if (length < 0) return;
    if (static_cast<std::size_t>(length) < sizeof small) {
        out.append(small, static_cast<std::size_t>(length));
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1);
    std::snprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args...);
    out.resize(start + static_cast<std::size_t>(length));
}

// The text that format and args give; empty when the format fails.
template <typename... Args>
std::string formatted_text(const char *format, Args... args) {
    std::string text;
    append_formatted(text, format, args...);
    return text;
}

}  // namespace formula
