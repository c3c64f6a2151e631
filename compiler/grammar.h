// The parser: reads the whole formula through next_token and runs the
// actions of its rules.
#pragma once

namespace formcomp {

// 0 when the formula was complete and followed by the end of the input; 1
// after a syntax error or a parser stack overflow. Semantic errors only
// clear compile_ok.
int parse_formula();

}  // namespace formcomp
