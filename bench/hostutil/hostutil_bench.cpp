// VENTUS file operations on 64 MiB files and SortList2 on 100 000 items, each
// beside its peer. The files live in a memory-backed folder (/dev/shm where
// there is one), so both sides read from and write to the page cache only.
//
// Every time reported is CPU time (user + system): of this process for the
// library and libcrypto, of the child for a peer program (/usr/bin/time).
// On a machine shared with other work, wall-clock time would mostly measure
// the wait for a processor.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ventus.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t file_size = 64u << 20;
constexpr int list_items = 100000;

std::string shell_quoted(const std::string &text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

void run(const std::string &command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void write_file(const fs::path &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The inputs, made once per run and removed at its end.
struct bench_files {
    bench_files() {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::random_device entropy;
        folder = base / ("ventus-bench-" + std::to_string(entropy()));
        fs::create_directories(folder);

        std::mt19937 random{2026};
        std::string bytes(file_size, '\0');
        for (auto &byte : bytes) byte = static_cast<char>(random());
        write_file(binary(), bytes);

        // Latin-1 text, lines of 20 to 100 characters ending in CR LF.
        std::string text;
        text.reserve(file_size);
        while (text.size() < file_size) {
            const int length = 20 + static_cast<int>(random() % 81);
            for (int i = 0; i < length; ++i) {
                const unsigned value = random() % 100;
                text += value < 80 ? static_cast<char>('a' + value % 26)
                        : value < 92 ? ' '
                                     : static_cast<char>(0xC0 + value % 64);
            }
            text += "\r\n";
        }
        write_file(latin1(), text);

        std::string list_text, lines;
        for (int i = 0; i < list_items; ++i) {
            std::string item = "item" + std::to_string(random() % (list_items * 4));
            list_text += (i ? "," : "") + item;
            lines += item + "\n";
        }
        list = list_text;
        write_file(list_lines(), lines);
        // Warm the page cache.
        run("cat " + shell_quoted(binary().string()) + " " + shell_quoted(latin1().string()) + " >/dev/null");
    }
    ~bench_files() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path binary() const { return folder / "random.bin"; }
    fs::path latin1() const { return folder / "latin1.txt"; }
    fs::path list_lines() const { return folder / "items.txt"; }
    fs::path output(const char *name) const { return folder / name; }

    fs::path folder;
    std::string list;
};

bench_files &files() {
    static bench_files instance;
    return instance;
}

double process_cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Runs body once and records the CPU time it took as the iteration's time.
template <typename Body>
void timed(benchmark::State &state, Body body) {
    const double start = process_cpu_seconds();
    body();
    state.SetIterationTime(process_cpu_seconds() - start);
}

// Runs a peer program through the shell and records its CPU time.
void timed_command(benchmark::State &state, const std::string &command) {
    const std::string times = files().output("times.txt").string();
    run("/usr/bin/time -f '%U %S' -o " + shell_quoted(times) + " sh -c " + shell_quoted(command));
    std::ifstream in(times);
    double user = 0, system = 0;
    in >> user >> system;
    state.SetIterationTime(user + system);
}

void report_bytes(benchmark::State &state, std::size_t bytes_per_iteration) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes_per_iteration));
}

void RMDcalc_64MiB(benchmark::State &state) {
    const std::string path = files().binary().string();
    char digest[41];
    for (auto _ : state) {
        timed(state, [&] {
            if (RMDcalc(path.c_str(), digest) != 1) state.SkipWithError("RMDcalc failed");
        });
        benchmark::DoNotOptimize(digest);
    }
    report_bytes(state, file_size);
}

// OpenSSL's RIPEMD-160 (legacy provider) over the same file, read the same way.
void OpenSSL_RIPEMD160_64MiB(benchmark::State &state) {
    OSSL_PROVIDER *legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER *standard = OSSL_PROVIDER_load(nullptr, "default");
    EVP_MD *md = EVP_MD_fetch(nullptr, "RIPEMD160", nullptr);
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    if (md == nullptr || context == nullptr) {
        state.SkipWithError("RIPEMD160 not available in libcrypto");
    } else {
        const std::string path = files().binary().string();
        std::vector<unsigned char> block(1 << 20);
        unsigned char digest[EVP_MAX_MD_SIZE];
        for (auto _ : state) {
            timed(state, [&] {
                std::FILE *file = std::fopen(path.c_str(), "rb");
                std::setvbuf(file, nullptr, _IONBF, 0);
                EVP_DigestInit_ex(context, md, nullptr);
                std::size_t got;
                while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
                    EVP_DigestUpdate(context, block.data(), got);
                }
                unsigned length;
                EVP_DigestFinal_ex(context, digest, &length);
                std::fclose(file);
            });
            benchmark::DoNotOptimize(digest);
        }
        report_bytes(state, file_size);
    }
    EVP_MD_CTX_free(context);
    EVP_MD_free(md);
    if (standard) OSSL_PROVIDER_unload(standard);
    if (legacy) OSSL_PROVIDER_unload(legacy);
}

void rhash_64MiB(benchmark::State &state) {
    const std::string command = "rhash --ripemd160 " + shell_quoted(files().binary().string()) + " >/dev/null";
    for (auto _ : state) timed_command(state, command);
    report_bytes(state, file_size);
}

void ConvertToUnicode_64MiB(benchmark::State &state) {
    const std::string source = files().latin1().string();
    const std::string target = files().output("unicode.txt").string();
    for (auto _ : state) {
        timed(state, [&] {
            if (ConvertToUnicode(source.c_str(), target.c_str()) != 1) state.SkipWithError("failed");
        });
    }
    report_bytes(state, file_size);
}

void iconv_64MiB(benchmark::State &state) {
    const std::string command = "iconv -f ISO-8859-1 -t UTF-16LE " + shell_quoted(files().latin1().string()) +
                                " > " + shell_quoted(files().output("iconv.txt").string());
    for (auto _ : state) timed_command(state, command);
    report_bytes(state, file_size);
}

void ReplChar_64MiB(benchmark::State &state) {
    const std::string source = files().latin1().string();
    const std::string target = files().output("replaced.txt").string();
    for (auto _ : state) {
        timed(state, [&] {
            if (ReplChar(source.c_str(), target.c_str(), 'a', 'b') != 1) state.SkipWithError("failed");
        });
    }
    report_bytes(state, file_size);
}

void tr_64MiB(benchmark::State &state) {
    const std::string command = "tr a b < " + shell_quoted(files().latin1().string()) + " > " +
                                shell_quoted(files().output("tr.txt").string());
    for (auto _ : state) timed_command(state, command);
    report_bytes(state, file_size);
}

void SortList2_100000_items(benchmark::State &state) {
    const std::string &list = files().list;
    std::vector<char> result(list.size() + 1);
    for (auto _ : state) {
        timed(state, [&] {
            if (SortList2(list.c_str(), result.data()) != 0) state.SkipWithError("failed");
        });
        benchmark::DoNotOptimize(result.data());
    }
    state.SetItemsProcessed(state.iterations() * list_items);
}

void sort_u_100000_items(benchmark::State &state) {
    const std::string command = "LC_ALL=C sort -u " + shell_quoted(files().list_lines().string()) + " > " +
                                shell_quoted(files().output("sorted.txt").string());
    for (auto _ : state) timed_command(state, command);
    state.SetItemsProcessed(state.iterations() * list_items);
}

}  // namespace

BENCHMARK(RMDcalc_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(OpenSSL_RIPEMD160_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(rhash_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(ConvertToUnicode_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(iconv_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(ReplChar_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(tr_64MiB)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(SortList2_100000_items)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(sort_u_100000_items)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
