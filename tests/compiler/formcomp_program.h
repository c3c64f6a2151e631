// Runs the real formcomp program in a fresh temporary folder, with a source on
// standard input, and collects what it printed, its exit code and the files
// it left.
#pragma once

#include "test_files.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace formcomp_test {

struct process_result {
    std::string standard_output;
    std::string standard_error;
    int exit_code = -1;
    // Every file the run left in its folder (the source excepted), by name.
    std::map<std::string, std::string> files;
};

class scratch_folder {
public:
    scratch_folder();
    ~scratch_folder();
    scratch_folder(const scratch_folder &) = delete;
    scratch_folder &operator=(const scratch_folder &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs `formcomp ARGUMENTS < source` in `folder` (a new scratch folder when
// none is given). `arguments` is passed to the shell as it stands.
process_result run_formcomp_program(std::string_view source, const std::string &arguments = "");
process_result run_formcomp_program_in(const std::filesystem::path &folder, std::string_view source,
                                       const std::string &arguments = "");

}  // namespace formcomp_test
