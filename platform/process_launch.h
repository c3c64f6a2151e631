// Starts a program from the current directory and waits until it ends.
#pragma once

#include <span>

namespace platform {

// Starts program with the given argument texts (the first is by convention
// the program's own name; with none, the program text is passed as that
// name) and blocks until it ends; its exit code is dropped.
//
// A program without a folder separator (and on Windows without a drive
// colon) is taken from the current directory only: there is no search along
// the path. A last component with an extension must exist as it stands; one
// without is tried as it stands, then with ".com", ".exe", ".bat" and ".cmd",
// and the first file that exists is started.
//
// Returns 0 when the program ran, otherwise the C library's error number: 2
// when no program file exists, 12 when memory ran out, or the number mapped
// from the system's failure to start it.
int run_program_and_wait(const char *program, std::span<const char *const> arguments);

}  // namespace platform
