// A program for the RunPrg tests. It writes its argument count and each
// argument on a line of its own into "probe-output.txt" in the current
// directory. An argument "--sleep-ms=N" makes it wait N milliseconds first;
// "--exit=N" makes it end with exit code N.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

int main(int argc, char **argv) {
    int exit_code = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sleep-ms=", 11) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[i] + 11)));
        } else if (std::strncmp(argv[i], "--exit=", 7) == 0) {
            exit_code = std::atoi(argv[i] + 7);
        }
    }
    std::ofstream out("probe-output.txt", std::ios::binary);
    out << argc << '\n';
    for (int i = 0; i < argc; ++i) out << argv[i] << '\n';
    return exit_code;
}
