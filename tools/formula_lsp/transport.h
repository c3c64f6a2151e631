// JSON-RPC messages over a byte stream, framed as the Language Server
// Protocol frames them: header lines ("Content-Length: N"), an empty line,
// then N bytes of JSON.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace formula_lsp {

// The largest body accepted; a longer one is read and dropped.
inline constexpr std::size_t largest_body = 64u << 20;

struct framed_message {
    std::string body;
    bool usable = true;  // false: the header had no valid length, or the body was too long
};

// The next message from `input`; nothing at the end of the input.
std::optional<framed_message> read_message(std::FILE *input);

void write_message(std::FILE *output, const std::string &body);

}  // namespace formula_lsp
