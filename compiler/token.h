// What the scanner hands the parser with each NAME and NUMBER, and where a
// token stands in the source.
#pragma once

#include <cstddef>

namespace formcomp {

inline constexpr std::size_t token_text_size = 20;  // 19 characters and the zero
inline constexpr int longest_token_text = static_cast<int>(token_text_size) - 1;

// Lines and columns count from 1; columns count bytes of the source as the
// scanner reads it (a CR LF pair is one line feed). The end is the column
// after the token's last character.
struct source_range {
    int line = 0;
    int column = 0;
    int end_line = 0;
    int end_column = 0;
};

// Where a grammar symbol stands (from its first token to the end of its
// last), and the code address that was next when its first token was read:
// the parser's location, which the statement records keep.
struct parse_location {
    int first_line = 0;
    int first_column = 0;
    int last_line = 0;
    int last_column = 0;
    int first_address = 0;
};

// A copy of the scanner's token text and the token's place, carried by every
// shifted token.
struct token_value {
    char text[token_text_size];
    source_range where;
};

}  // namespace formcomp
