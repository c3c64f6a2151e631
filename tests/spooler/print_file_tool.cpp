// Calls PrintFile in a process of its own, for cases that need the process's
// limits changed: print_file_tool PRINTER OUTPUT|- PATH. Exit code: the result.
#include <cstring>

#include "ventus.h"

int main(int argc, char **argv) {
    if (argc != 4) return 2;
    const char *output = std::strcmp(argv[2], "-") == 0 ? nullptr : argv[2];
    return PrintFile(argv[1], output, argv[3]);
}
