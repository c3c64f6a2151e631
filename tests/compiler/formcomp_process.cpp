#include "formcomp_process.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>

namespace formcomp_test {

namespace fs = std::filesystem;

namespace {
constexpr const char *source_file = "source.frm";
constexpr const char *output_file = "stdout.txt";
constexpr const char *error_file = "stderr.txt";
constexpr const char *exit_code_file = "exit_code.txt";

// With FORMCOMP_TEST_CORPUS set to a folder, every source run is also saved
// there (NAME.frm, with its arguments in NAME.args), so that other builds of
// formcomp can be compared on the same sources (scripts/windows-checks.sh).
void record_in_corpus(std::string_view source, const std::string &arguments) {
    const char *corpus = std::getenv("FORMCOMP_TEST_CORPUS");
    if (corpus == nullptr || corpus[0] == '\0') return;
    const std::string name = std::to_string(std::hash<std::string>{}(std::string(source) + '\n' + arguments));
    write_file(fs::path(corpus) / (name + ".frm"), source);
    write_file(fs::path(corpus) / (name + ".args"), arguments);
}

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

std::string read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path &path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

process_result run_formcomp_in(const fs::path &folder, std::string_view source,
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

process_result run_formcomp(std::string_view source, const std::string &arguments) {
    scratch_folder folder;
    return run_formcomp_in(folder.path(), source, arguments);
}

}  // namespace formcomp_test
