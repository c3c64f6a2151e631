#include "tools/formula_lsp/transport.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace formula_lsp {

namespace {

// One header line without its line end; nothing at the end of the input.
std::optional<std::string> read_header_line(std::FILE *input) {
    std::string line;
    for (int c; (c = std::fgetc(input)) != EOF;) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (line.size() < 4096) line += static_cast<char>(c);
    }
    if (line.empty()) return std::nullopt;
    return line;
}

bool is_length_header(const std::string &line) {
    constexpr char name[] = "content-length:";
    if (line.size() < sizeof name - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof name; ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<framed_message> read_message(std::FILE *input) {
    long long length = -1;
    bool any_header = false;
    for (;;) {
        std::optional<std::string> line = read_header_line(input);
        if (!line) return std::nullopt;
        if (line->empty()) {
            if (any_header) break;
            continue;  // blank lines between messages
        }
        any_header = true;
        if (is_length_header(*line)) {
            const char *digits = line->c_str() + std::strlen("content-length:");
            char *end = nullptr;
            long long value = std::strtoll(digits, &end, 10);
            while (end && std::isspace(static_cast<unsigned char>(*end))) ++end;
            length = end && *end == '\0' && value >= 0 ? value : -1;
        }
    }
    framed_message message;
    if (length < 0) {
        message.usable = false;
        return message;
    }
    std::size_t size = static_cast<std::size_t>(length);
    bool keep = size <= largest_body;
    if (keep) message.body.resize(size);
    std::size_t done = 0;
    char scratch[65536];
    while (done < size) {
        std::size_t want = keep ? size - done : std::min(sizeof scratch, size - done);
        std::size_t got = std::fread(keep ? message.body.data() + done : scratch, 1, want, input);
        if (got == 0) return std::nullopt;
        done += got;
    }
    message.usable = keep;
    if (!keep) message.body.clear();
    return message;
}

void write_message(std::FILE *output, const std::string &body) {
    std::fprintf(output, "Content-Length: %zu\r\n\r\n", body.size());
    std::fwrite(body.data(), 1, body.size(), output);
    std::fflush(output);
}

}  // namespace formula_lsp
