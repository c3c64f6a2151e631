// JSON-RPC messages over a byte stream, framed as the Language Server
// Protocol frames them: header lines ("Content-Length: N"), an empty line,
// then N bytes of JSON.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace formula_lsp {

// The largest body accepted; a header that announces a longer one is refused
// before any of its body is read.
inline constexpr std::size_t largest_body = 64u << 20;

struct framed_message {
    std::string body;
    // Why the message cannot be used (its header had no valid length, or
    // announced too long a body); null for a usable message.
    const char *fault = nullptr;
};

// Reads messages one after another from a stream. After a header block it
// cannot use, the next read first skips to the next header block with a
// Content-Length: a body sent without a valid length, or one too long to
// read, runs on until the next message's header (which may then follow on
// the body's last line), so a bad message costs one error and no later
// message.
class message_reader {
public:
    explicit message_reader(std::FILE *input) : input_(input) {}

    // The next message; nothing at the end of the input.
    std::optional<framed_message> next();

private:
    std::FILE *input_;
    bool skipping_ = false;
};

void write_message(std::FILE *output, const std::string &body);

}  // namespace formula_lsp
