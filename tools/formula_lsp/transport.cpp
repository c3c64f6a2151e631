#include "tools/formula_lsp/transport.h"

#include <cctype>
#include <string_view>

namespace formula_lsp {

namespace {

constexpr std::string_view length_name = "content-length:";
// Header lines are cut to their last characters: enough for any header we
// read, and the end of a long line is where a header that follows a body
// without a length stands.
constexpr std::size_t kept_line_end = 4096;

// One header line without its line end; nothing at the end of the input.
std::optional<std::string> read_header_line(std::FILE *input) {
    std::string line;
    for (int c; (c = std::fgetc(input)) != EOF;) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        line += static_cast<char>(c);
        if (line.size() >= 2 * kept_line_end) line.erase(0, line.size() - kept_line_end);
    }
    if (line.empty()) return std::nullopt;
    return line;
}

bool same_letters(std::string_view text, std::size_t at, std::string_view lower_case) {
    if (text.size() - at < lower_case.size()) return false;
    for (std::size_t i = 0; i < lower_case.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != lower_case[i]) return false;
    }
    return true;
}

// Where the Content-Length header starts in `line`: at its start, or when
// `anywhere`, at its last occurrence; npos when there is none.
std::size_t length_header_start(std::string_view line, bool anywhere) {
    if (!anywhere) return same_letters(line, 0, length_name) ? 0 : std::string_view::npos;
    for (std::size_t at = line.size(); at-- > 0;) {
        if (same_letters(line, at, length_name)) return at;
    }
    return std::string_view::npos;
}

enum class length_kind { valid, invalid, too_long };

// The value of a Content-Length header after its name: blanks, decimal
// digits, blanks, and nothing else.
length_kind parse_length(std::string_view value, std::size_t &length) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    std::size_t digits = i;
    length = 0;
    bool too_long = false;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        if (!too_long) length = length * 10 + static_cast<std::size_t>(value[i] - '0');
        too_long = too_long || length > largest_body;
    }
    if (i == digits) return length_kind::invalid;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    if (i != value.size()) return length_kind::invalid;
    return too_long ? length_kind::too_long : length_kind::valid;
}

}  // namespace

std::optional<framed_message> message_reader::next() {
    for (;;) {
        // One header block: its lines up to the empty line that ends it.
        bool any_header = false;
        bool has_length = false, bad_length = false, too_long = false;
        std::size_t length = 0;
        for (;;) {
            std::optional<std::string> line = read_header_line(input_);
            if (!line) return std::nullopt;
            if (line->empty()) {
                if (any_header) break;
                continue;  // blank lines between messages
            }
            any_header = true;
            std::size_t start = length_header_start(*line, skipping_);
            if (start == std::string_view::npos) continue;
            std::size_t value = 0;
            length_kind kind = parse_length(std::string_view(*line).substr(start + length_name.size()), value);
            has_length = true;
            bad_length = kind == length_kind::invalid;
            too_long = kind == length_kind::too_long;
            length = value;
        }
        bool usable = has_length && !bad_length && !too_long;
        // Lines without a length while skipping are the refused message's own bytes.
        if (!has_length && skipping_) continue;
        framed_message message;
        if (!usable) {
            skipping_ = true;
            message.fault = too_long ? "message body longer than 64 MiB" : "unreadable message header";
            return message;
        }
        skipping_ = false;
        message.body.resize(length);
        std::size_t done = 0;
        while (done < length) {
            std::size_t got = std::fread(message.body.data() + done, 1, length - done, input_);
            if (got == 0) return std::nullopt;
            done += got;
        }
        return message;
    }
}

void write_message(std::FILE *output, const std::string &body) {
    std::fprintf(output, "Content-Length: %zu\r\n\r\n", body.size());
    std::fwrite(body.data(), 1, body.size(), output);
    std::fflush(output);
}

}  // namespace formula_lsp
