// Whole files for the compiler's tests, and the corpus of compiled sources
// that scripts/windows-checks.sh replays against the Windows formcomp.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace formcomp_test {

std::string read_file(const std::filesystem::path &path);
void write_file(const std::filesystem::path &path, std::string_view text);

// With FORMCOMP_TEST_CORPUS set to a folder, saves the source there
// (NAME.frm, with its arguments in NAME.args), so that other builds of
// formcomp can be compared on the same sources.
void record_in_corpus(std::string_view source, const std::string &arguments);

}  // namespace formcomp_test
