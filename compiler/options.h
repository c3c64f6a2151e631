// The option scanner: option letters, possibly grouped ("-db"), before the
// first argument that is not an option; and the run flags they set.
#pragma once

namespace formcomp {

struct run_flags {
    int debug_listing = 0;  // option -d: print the listings
    int write_header = 1;   // cleared by option -b: no header in the files
};

// The flags of the run in progress.
run_flags &flags();

// The next option letter; '?' for a letter not in `accepted` (after printing
// "%s: unknown option %c\n" on standard error); -1 when the options end (at
// the last argument, at one that does not begin with '-', at "-" alone, or
// after "--", which is consumed).
int next_option(int argc, char **argv, const char *accepted);

// The flags to their defaults and the option scanner back to the first argument.
void reset_options();

}  // namespace formcomp
