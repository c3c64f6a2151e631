#include "spooler_environment.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

namespace spooler {

namespace {

template <class Condition>
bool wait_until(Condition condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

int count_lines(const std::string &text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

void load_fixture_environment() {
    const char *state = std::getenv("SPOOLER_STATE");
    if (!state) return;
    std::ifstream state_file(state);
    std::string fixture_folder;
    if (!std::getline(state_file, fixture_folder)) return;
    std::ifstream environment(std::filesystem::path(fixture_folder) / "environment");
    std::string line;
    while (std::getline(environment, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
    }
}

std::string variable(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::filesystem::path folder() { return variable("SPOOLER_FOLDER"); }

std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string random_bytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char &c : bytes) c = static_cast<char>(byte(generator));
    return bytes;
}

std::string command_output(const std::string &command) {
    struct pipe_closer {
        void operator()(std::FILE *pipe) const { pclose(pipe); }
    };
    std::unique_ptr<std::FILE, pipe_closer> pipe(popen(command.c_str(), "r"));
    std::string output;
    if (!pipe) return output;
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0) output.append(chunk, count);
    return output;
}

int job_count(const std::string &queue) {
    return count_lines(command_output("lpstat -W all -o " + queue + " 2>/dev/null"));
}

int completed_job_count(const std::string &queue) {
    return count_lines(command_output("lpstat -W completed -o " + queue + " 2>/dev/null"));
}

bool wait_until_idle(const std::string &queue) {
    return wait_until(
        [&] { return command_output("lpstat -W not-completed -o " + queue + " 2>/dev/null").empty(); },
        std::chrono::seconds(60));
}

std::vector<std::filesystem::path> received_files() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder() / "received", error))
        if (entry.path().extension() == ".bin") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool wait_for_received(std::size_t count) {
    return wait_until([&] { return received_files().size() >= count; }, std::chrono::seconds(20));
}

}  // namespace spooler
