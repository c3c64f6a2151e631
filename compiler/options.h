// The option scanner: option letters, possibly grouped ("-db"), before the
// first argument that is not an option.
#pragma once

namespace formcomp {

// The next option letter; '?' for a letter not in `accepted` (after printing
// "%s: unknown option %c\n" on standard error); -1 when the options end (at
// the last argument, at one that does not begin with '-', at "-" alone, or
// after "--", which is consumed).
int next_option(int argc, char **argv, const char *accepted);

}  // namespace formcomp
