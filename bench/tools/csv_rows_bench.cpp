// Rows per second of formeval --csv without the file system: CSV lines cut by
// the line splitter and evaluated by csv_evaluator, output formatted into a
// string, for the CALC example and for a formula with branches and a loop.
// Formula called once per row (loading the texts every time, as a host does)
// runs beside them, and the loaded engine with and without an observer shows
// what the observer costs when one is used.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/formula_runner.h"
#include "tools/formeval/loaded_formula.h"
#include "zerizi.h"

namespace {

// method CALC input A; output R; proc R = A * 2; endp
const std::string calc_symbols = "    CALC   3"
                                 "11                   A"
                                 "12                   R"
                                 "31                   2";
const std::string calc_code = "    CALC   62   12   31   43   21   11  99";

// method LOOP input a, b; output r; local i;
// proc if a > b then r = a - b; else r = b - a; end
//      i = 0; while (i < 3) i = i + 1; r = r + i * b; end endp
const std::string loop_symbols = "    LOOP   7"
                                 "11                   a"
                                 "11                   b"
                                 "12                   r"
                                 "14                   i"
                                 "31                   0"
                                 "31                   3"
                                 "31                   1";
const std::string loop_code =
    "    LOOP  40"
    "2   12   21  123  131  182   12   21   33   31   13  181  192   22   11   33   31   12   53   41   1"
    "2   42   61  133  401  182   42   71   23   41   12   32   42   21   41   23   31   13  211  191  99";

std::string csv_lines(int inputs, std::size_t rows) {
    std::mt19937_64 generator(8);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::string text;
    char buffer[64];
    for (std::size_t row = 0; row < rows; ++row) {
        for (int i = 0; i < inputs; ++i) {
            std::snprintf(buffer, sizeof buffer, "%s%.6f", i ? "," : "", value(generator));
            text += buffer;
        }
        text += '\n';
    }
    return text;
}

void csv_rows(benchmark::State &state, const std::string &symbols, const std::string &code, int inputs) {
    constexpr std::size_t rows = 100000;
    const std::string text = csv_lines(inputs, rows);
    formeval::loaded_formula formula(symbols, code);
    for (auto _ : state) {
        formeval::csv_evaluator evaluator(formula, "bench.csv", nullptr);
        std::string out = evaluator.header();
        std::string error;
        formeval::line_splitter splitter;
        auto take = [&](std::string_view line) {
            bool taken = evaluator.take_line(line, out, error);
            if (out.size() > (1u << 20)) out.clear();
            return taken;
        };
        // Blocks of 1 MiB, as formeval reads the file.
        for (std::size_t at = 0; at < text.size(); at += std::size_t{1} << 20)
            splitter.feed(std::string_view(text).substr(at, std::size_t{1} << 20), take);
        splitter.finish(take);
        if (evaluator.rows_evaluated() != static_cast<long long>(rows)) state.SkipWithError("rows lost");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows));
}

void BM_CsvRows_Calc(benchmark::State &state) { csv_rows(state, calc_symbols, calc_code, 1); }
void BM_CsvRows_Loop(benchmark::State &state) { csv_rows(state, loop_symbols, loop_code, 2); }

void BM_FormulaPerRow_Calc(benchmark::State &state) {
    const char *texts[2] = {calc_symbols.c_str(), calc_code.c_str()};
    double values[2] = {0.0, 21.0};
    for (auto _ : state) {
        Formula(values, texts);
        benchmark::DoNotOptimize(values[0]);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FormulaPerRow_Loop(benchmark::State &state) {
    const char *texts[2] = {loop_symbols.c_str(), loop_code.c_str()};
    double values[3] = {0.0, 1.5, 2.5};
    for (auto _ : state) {
        Formula(values, texts);
        benchmark::DoNotOptimize(values[0]);
    }
    state.SetItemsProcessed(state.iterations());
}

// An observer that does something with every instruction, as the CSV mode's
// zero-divisor watch does.
struct counting_observer {
    long instructions = 0;
    bool before_instruction(std::int32_t, const zerizi::instruction &, const zerizi::value_stack &) noexcept {
        ++instructions;
        return true;
    }
    void after_assign(std::int32_t, double) noexcept {}
    void zero_divisor(std::int32_t) noexcept {}
};

void BM_LoadedEngine_Loop(benchmark::State &state) {
    formeval::loaded_formula formula(loop_symbols, loop_code);
    formeval::formula_runner runner(formula);
    double values[3] = {0.0, 1.5, 2.5};
    for (auto _ : state) {
        runner.evaluate(values);
        benchmark::DoNotOptimize(values[0]);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_LoadedEngine_Loop_Observed(benchmark::State &state) {
    formeval::loaded_formula formula(loop_symbols, loop_code);
    formeval::formula_runner runner(formula);
    double values[3] = {0.0, 1.5, 2.5};
    counting_observer observer;
    for (auto _ : state) {
        runner.evaluate(values, observer);
        benchmark::DoNotOptimize(values[0]);
    }
    benchmark::DoNotOptimize(observer.instructions);
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_CsvRows_Calc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvRows_Loop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormulaPerRow_Calc);
BENCHMARK(BM_FormulaPerRow_Loop);
BENCHMARK(BM_LoadedEngine_Loop);
BENCHMARK(BM_LoadedEngine_Loop_Observed);
BENCHMARK_MAIN();
