// A test fixture that runs each test from a fresh current directory, into which
// copies of the probe program are installed. The probe writes its argument
// count and arguments into probe-output.txt.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_files.h"

namespace hostutil_test {

class ProbeFolderTest : public ::testing::Test {
protected:
    ProbeFolderTest() : previous_directory(std::filesystem::current_path()) {
        std::filesystem::current_path(folder.path());
    }
    ~ProbeFolderTest() override { std::filesystem::current_path(previous_directory); }

    void install_probe(const std::string &name) {
        std::filesystem::copy_file(PROGRAM_PROBE_PATH, folder.file(name),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // What the probe's last run wrote; the file is removed for the next run.
    std::string probe_output() {
        const std::string output = read_file(folder.file("probe-output.txt"));
        std::filesystem::remove(folder.file("probe-output.txt"));
        return output;
    }

    temporary_folder folder;
    std::filesystem::path previous_directory;
};

}  // namespace hostutil_test
