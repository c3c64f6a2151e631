// Where a CSV mode writes its rows: standard output, or a replacement of the
// file given with -o that commit() puts in place (without it, the file stays
// as it was). The file must not be the input under any name.
#pragma once

#include <string>

#include "platform/replacement_file.h"

namespace formeval {

class output_sink {
public:
    explicit output_sink(const std::string &target);

    // Opens the file: refuses (exit code 2) an output that is the input file
    // or that cannot be opened; else 0.
    int open(const std::string &input_path);

    // Writes the buffer and empties it; false when that failed.
    bool write(std::string &buffer);
    // The same once the buffer holds a block (1 MiB) or more; else nothing.
    bool write_when_full(std::string &buffer);
    bool commit();
    // What a failed write or commit ends with: the message and exit code 2.
    int refuse_unwritten() const;

    bool to_standard_output() const noexcept { return target_.empty(); }

private:
    std::string target_;
    platform::replacement_file file_;
};

}  // namespace formeval
