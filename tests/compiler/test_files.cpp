#include "test_files.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace formcomp_test {

namespace fs = std::filesystem;

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

void record_in_corpus(std::string_view source, const std::string &arguments) {
    const char *corpus = std::getenv("FORMCOMP_TEST_CORPUS");
    if (corpus == nullptr || corpus[0] == '\0') return;
    const std::string name = std::to_string(std::hash<std::string>{}(std::string(source) + '\n' + arguments));
    write_file(fs::path(corpus) / (name + ".frm"), source);
    write_file(fs::path(corpus) / (name + ".args"), arguments);
}

}  // namespace formcomp_test
