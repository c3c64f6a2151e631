// Scratch files for the fuzz targets: one folder per process, removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz_files {

// The path of a file called name in the scratch folder.
std::string scratch(const std::string &name);
void write(const std::string &path, const std::uint8_t *data, std::size_t size);
std::string read(const std::string &path);

// Ends the run with a crash report that libFuzzer records.
[[noreturn]] void fail(const char *what);

}  // namespace fuzz_files
