// Compile speed at the tables' capacities (about 1000 symbols, 60 labels,
// 4000 instructions): in process, and formcomp as a whole process beside the
// cost of starting any program. Memory against source size: a source of
// many megabytes of comments streamed through the scanner's fixed buffer.
#include "compiler/compile_run.h"
#include "compiler/input_source.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A formula that fills the tables: 939 variables, 60 constants, 60 labels,
// and statements of every kind up to about 4000 instructions.
std::string capacity_formula() {
    constexpr int variables = 939;
    auto v = [](int i) {
        std::string name(1, 'v');
        return name += std::to_string(1 + (i * 37) % variables);
    };
    auto c = [](int i) { return std::to_string(i % 60) + ".5"; };
    std::ostringstream source;
    source << "// A formula at the capacities of the compiler's tables.\nmethod CAPACITY\n";
    const char *classes[] = {"input", "local", "static", "inout"};
    for (int i = 0; i < variables; ++i) {
        source << (i % 300 == 0 ? std::string(i ? ";\n" : "") + classes[i / 300 % 4] + " " : ", ")
               << "v" << i + 1;
    }
    source << ";\noutput r;\nproc\n";
    int n = 0;
    for (int block = 0; block < 60; ++block) {
        source << "label L" << block << ":\n";
        source << "if " << v(n) << " > " << c(n) << " and not " << v(n + 1) << " == " << c(n + 1)
               << " then\n  " << v(n + 2) << " = " << v(n + 3) << " * " << c(n + 2) << " + " << v(n + 4)
               << " - round(" << v(n + 5) << ", 2);\nelse\n  " << v(n + 6) << " = ceil(" << v(n + 7)
               << " / " << c(n + 3) << ", 1);\nend\n";
        source << "while (" << v(n + 8) << " < " << c(n + 4) << " or isin(" << v(n + 9) << "))\n  "
               << v(n + 10) << " = " << v(n + 10) << " + 1;\nend\n";
        for (int filler = 0; filler < 2; ++filler, n += 4) {
            source << v(n) << " = " << v(n + 1) << " + " << v(n + 2) << " * " << v(n + 3) << " % "
                   << c(n) << ";\n";
        }
        source << "goto L" << (block + 7) % 60 << "\n";
        n += 11;
    }
    source << "r = v1;\nendp\n";
    return source.str();
}

const std::string &formula_source() {
    static const std::string source = capacity_formula();
    return source;
}

int compile_in_memory(const std::string &source, formcomp::compiled_texts &texts) {
    formcomp::memory_input_source input(source);
    std::string output, errors;
    formcomp::run_channels setup;
    setup.input = &input;
    setup.standard_output = &output;
    setup.standard_error = &errors;
    setup.texts = &texts;
    char program[] = "formcomp";
    char *argv[] = {program, nullptr};
    return formcomp::run_formcomp(1, argv, setup);
}

void report_sizes(benchmark::State &state, const formcomp::compiled_texts &texts) {
    state.counters["symbols"] = std::atoi(texts.symbol_text.substr(8, 4).c_str());
    state.counters["instructions"] = std::atoi(texts.code_text.substr(8, 4).c_str());
}

void compile_in_process(benchmark::State &state) {
    formcomp::compiled_texts texts;
    for (auto _ : state) {
        if (compile_in_memory(formula_source(), texts) != 0) {
            state.SkipWithError("the capacity formula does not compile");
            return;
        }
        benchmark::DoNotOptimize(texts.code_text.data());
    }
    report_sizes(state, texts);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * formula_source().size()));
}
BENCHMARK(compile_in_process)->Unit(benchmark::kMicrosecond);

// The same, writing NAME.sym and NAME.obj through temporary files.
void compile_in_process_writing_files(benchmark::State &state) {
    fs::path folder = fs::temp_directory_path() / "formcomp_benchmark_files";
    fs::create_directories(folder);
    for (auto _ : state) {
        formcomp::memory_input_source input(formula_source());
        std::string output, errors;
        formcomp::run_channels setup;
        setup.input = &input;
        setup.standard_output = &output;
        setup.standard_error = &errors;
        setup.output_folder = folder.string();
        char program[] = "formcomp";
        char *argv[] = {program, nullptr};
        if (formcomp::run_formcomp(1, argv, setup) != 0) state.SkipWithError("compile failed");
    }
    fs::remove_all(folder);
}
BENCHMARK(compile_in_process_writing_files)->Unit(benchmark::kMicrosecond);

// formcomp as a host starts it: batches of runs from a shell, timed by
// /usr/bin/time, reported as CPU time (user and system) per run. Beside it the
// same batch starting /bin/true: the cost of the shell and of starting any
// program, which is not formcomp's. The machine's load does not enter CPU
// time; the wall time per run is a counter.
void run_batches(benchmark::State &state, const std::string &program) {
    constexpr int runs_per_batch = 50;
    fs::path folder = fs::temp_directory_path() / "formcomp_benchmark_process";
    fs::create_directories(folder);
    fs::path source = folder / "capacity.frm";
    fs::path times = folder / "times.txt";
    std::ofstream(source, std::ios::binary) << formula_source();
    std::string batch = "cd " + folder.string() + " && i=0; while [ $i -lt " +
                        std::to_string(runs_per_batch) + " ]; do " + program + " < " +
                        source.string() + " > /dev/null || exit 1; i=$((i + 1)); done";
    std::string command = "/usr/bin/time -f '%e %U %S' -o " + times.string() + " sh -c '" + batch + "'";
    double wall_seconds = 0;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the runs failed");
            break;
        }
        double wall = 0, user = 0, system = 0;
        std::ifstream(times) >> wall >> user >> system;
        wall_seconds += wall;
        state.SetIterationTime((user + system) / runs_per_batch);
    }
    state.counters["wall_ms_per_run"] =
        wall_seconds * 1000 / runs_per_batch / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    fs::remove_all(folder);
}

void formcomp_process(benchmark::State &state) { run_batches(state, FORMCOMP_PATH); }
void true_process(benchmark::State &state) { run_batches(state, "/bin/true"); }
BENCHMARK(formcomp_process)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(10);
BENCHMARK(true_process)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(10);

// A source of `megabytes` of comment text, produced piece by piece so that
// only the scanner holds any of it.
class streamed_comment_source final : public formcomp::input_source {
public:
    explicit streamed_comment_source(std::size_t megabytes) : remaining_(megabytes << 20) {}
    long read(char *buffer, std::size_t size) override {
        std::string_view piece;
        if (stage_ == 0) {
            piece = "method F input a; output r; proc /*";
        } else if (remaining_ > 0) {
            std::size_t count = std::min({size, remaining_, std::size_t{4096}});
            for (std::size_t i = 0; i < count; ++i) buffer[i] = i % 1000 == 999 ? '*' : (i % 80 ? 'x' : '\n');
            remaining_ -= count;
            return static_cast<long>(count);
        } else if (stage_ == 1) {
            piece = "*/ r = a * 2; endp";
        } else {
            return 0;
        }
        ++stage_;
        std::size_t count = std::min(size, piece.size());
        std::copy_n(piece.data(), count, buffer);
        return static_cast<long>(count);
    }
    bool is_terminal() const override { return false; }

private:
    std::size_t remaining_;
    int stage_ = 0;
};

// Peak resident memory of this process, in kilobytes (Linux).
long peak_resident_kilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

void memory_against_source_size(benchmark::State &state) {
    long before = peak_resident_kilobytes();
    for (auto _ : state) {
        streamed_comment_source input(static_cast<std::size_t>(state.range(0)));
        std::string output, errors;
        formcomp::compiled_texts texts;
        formcomp::run_channels setup;
        setup.input = &input;
        setup.standard_output = &output;
        setup.standard_error = &errors;
        setup.texts = &texts;
        char program[] = "formcomp";
        char *argv[] = {program, nullptr};
        if (formcomp::run_formcomp(1, argv, setup) != 0) state.SkipWithError("compile failed");
    }
    state.counters["source_MB"] = static_cast<double>(state.range(0));
    state.counters["peak_rss_growth_kB"] = static_cast<double>(peak_resident_kilobytes() - before);
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}
BENCHMARK(memory_against_source_size)->Arg(1)->Arg(16)->Arg(128)->Unit(benchmark::kMillisecond);

}  // namespace
