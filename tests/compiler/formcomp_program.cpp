#include "formcomp_program.h"

#include <atomic>
#include <cstdlib>
#include <random>
#include <stdexcept>

namespace formcomp_test {

namespace fs = std::filesystem;

namespace {
constexpr const char *source_file = "source.frm";
constexpr const char *output_file = "stdout.txt";
constexpr const char *error_file = "stderr.txt";
constexpr const char *exit_code_file = "exit_code.txt";

}  // namespace

scratch_folder::scratch_folder() {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    path_ = fs::temp_directory_path() /
            ("formcomp_test_" + std::to_string(entropy()) + "_" + std::to_string(counter++));
    fs::create_directories(path_);
}

scratch_folder::~scratch_folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

process_result run_formcomp_program_in(const fs::path &folder, std::string_view source,
                                       const std::string &arguments) {
    // The run's own files go into a folder beside the working folder, so the
    // working folder shows only what formcomp left.
    record_in_corpus(source, arguments);
    scratch_folder io;
    write_file(io.path() / source_file, source);
    std::string command = "cd '" + folder.string() + "' && '" FORMCOMP_PATH "' " + arguments +
                          " < '" + (io.path() / source_file).string() + "' > '" +
                          (io.path() / output_file).string() + "' 2> '" +
                          (io.path() / error_file).string() + "'; echo $? > '" +
                          (io.path() / exit_code_file).string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("shell failed: " + command);
    process_result result;
    result.standard_output = read_file(io.path() / output_file);
    result.standard_error = read_file(io.path() / error_file);
    result.exit_code = std::stoi(read_file(io.path() / exit_code_file));
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        result.files[entry.path().filename().string()] =
            entry.is_regular_file() ? read_file(entry.path()) : std::string("<folder>");
    }
    return result;
}

process_result run_formcomp_program(std::string_view source, const std::string &arguments) {
    scratch_folder folder;
    return run_formcomp_program_in(folder.path(), source, arguments);
}

}  // namespace formcomp_test
