// For a program that replaces files: when it is stopped by SIGINT, SIGTERM
// or SIGHUP, the temporary files of its open replacements
// (platform/replacement_file.h) are removed, and then the signal ends the
// process as it would have without the handler (the same exit status). A
// signal that the program was started ignoring (nohup) stays ignored.
// Programs call it once, at start; libraries never do.
// POSIX: sigaction(2) with SA_RESETHAND, unlink(2), raise(3).
// Windows: nothing. A temporary file is open without sharing there and
// cannot be removed from a handler; the next formcomp of the same name
// removes it (remove_abandoned_replacements).
#pragma once

namespace platform {

void remove_temporaries_on_interrupt();

}  // namespace platform
