// Formula against muparser, in one run:
//   - the CALC example (R = A * 2): Formula (load, run, release), loading
//     alone, running alone, an evaluation of the formula prepared once
//     (ZERIZI_PREPARED); muparser parsing and evaluating "a*2" from text
//     (with a new parser, as a one-off caller would, and with a reused one),
//     and evaluating it pre-parsed;
//   - a formula of about 300 instructions with a loop of ten passes (the same
//     four ways), and its muparser equivalent (one expression evaluated ten times).
// Each Formula benchmark reports the heap allocations per call.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include "allocation_counter.h"
#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "loop_formula.h"
#include "zerizi.h"
#include "zerizi_prepared.h"

namespace {

using test_support::formula_texts;

void report_allocations(benchmark::State &state, std::size_t before) {
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(bench_support::allocation_count() - before) / static_cast<double>(state.iterations()));
}

void formula_call(benchmark::State &state, const formula_texts &formula, std::vector<double> values) {
    const char *texts[2] = {formula.symbols.c_str(), formula.code.c_str()};
    std::size_t before = bench_support::allocation_count();
    for (auto _ : state) {
        Formula(values.data(), texts);
        benchmark::DoNotOptimize(values[0]);
    }
    report_allocations(state, before);
}

void load_only(benchmark::State &state, const formula_texts &formula) {
    const char *texts[2] = {formula.symbols.c_str(), formula.code.c_str()};
    std::size_t before = bench_support::allocation_count();
    for (auto _ : state) {
        zerizi::engine engine;
        engine.load_formula(texts);
        benchmark::DoNotOptimize(engine.loaded());
        engine.release_formula();
    }
    report_allocations(state, before);
}

// The run alone: the engine is loaded once and restarts as every run starts,
// as a fresh load would leave it.
void run_only(benchmark::State &state, const formula_texts &formula, std::vector<double> values) {
    const char *texts[2] = {formula.symbols.c_str(), formula.code.c_str()};
    zerizi::engine engine;
    engine.load_formula(texts);
    for (auto _ : state) {
        zerizi::run_bound_code(engine, values.data());
        benchmark::DoNotOptimize(values[0]);
    }
    engine.release_formula();
}

// An evaluation of the formula prepared once (ZERIZI_PREPARED).
void prepared_evaluation(benchmark::State &state, const formula_texts &formula, std::vector<double> values) {
    zerizi::prepared_formula prepared(formula.symbols.c_str(), formula.code.c_str());
    std::size_t before = bench_support::allocation_count();
    for (auto _ : state) {
        prepared.evaluate(values.data());
        benchmark::DoNotOptimize(values[0]);
    }
    report_allocations(state, before);
}

const formula_texts calc = test_support::calc_example();
const formula_texts loop = bench_support::loop_formula();

void BM_Formula_Calc(benchmark::State &state) { formula_call(state, calc, {0.0, 21.0}); }
void BM_Load_Calc(benchmark::State &state) { load_only(state, calc); }
void BM_Run_Calc(benchmark::State &state) { run_only(state, calc, {0.0, 21.0}); }
void BM_Prepared_Calc(benchmark::State &state) { prepared_evaluation(state, calc, {0.0, 21.0}); }
void BM_Formula_Loop300(benchmark::State &state) {
    state.counters["instructions"] = static_cast<double>((loop.code.size() - 12) / 5);
    formula_call(state, loop, {0.0, 1.5, 2.5});
}
void BM_Load_Loop300(benchmark::State &state) { load_only(state, loop); }
void BM_Run_Loop300(benchmark::State &state) { run_only(state, loop, {0.0, 1.5, 2.5}); }
void BM_Prepared_Loop300(benchmark::State &state) { prepared_evaluation(state, loop, {0.0, 1.5, 2.5}); }

void BM_Muparser_ParseEval_Calc_NewParser(benchmark::State &state) {
    double a = 21.0;
    for (auto _ : state) {
        mu::Parser parser;
        parser.DefineVar("a", &a);
        parser.SetExpr("a*2");
        benchmark::DoNotOptimize(parser.Eval());
    }
}
void BM_Muparser_ParseEval_Calc_ReusedParser(benchmark::State &state) {
    double a = 21.0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    for (auto _ : state) {
        parser.SetExpr("a*2");
        benchmark::DoNotOptimize(parser.Eval());
    }
}
void BM_Muparser_PreParsed_Calc(benchmark::State &state) {
    double a = 21.0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    parser.SetExpr("a*2");
    parser.Eval();
    for (auto _ : state) benchmark::DoNotOptimize(parser.Eval());
}

double muparser_loop(mu::Parser &parser, double &k) {
    double sum = 0.0;
    for (int pass = 0; pass < bench_support::loop_passes; ++pass) {
        k = pass;
        sum += parser.Eval();
    }
    return sum;
}
void BM_Muparser_ParseEval_Loop300_NewParser(benchmark::State &state) {
    const std::string body = bench_support::loop_body_expression();
    double a = 1.5, b = 2.5, k = 0.0;
    for (auto _ : state) {
        mu::Parser parser;
        parser.DefineVar("a", &a);
        parser.DefineVar("b", &b);
        parser.DefineVar("k", &k);
        parser.SetExpr(body);
        benchmark::DoNotOptimize(muparser_loop(parser, k));
    }
}
void BM_Muparser_PreParsed_Loop300(benchmark::State &state) {
    const std::string body = bench_support::loop_body_expression();
    double a = 1.5, b = 2.5, k = 0.0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    parser.DefineVar("b", &b);
    parser.DefineVar("k", &k);
    parser.SetExpr(body);
    parser.Eval();
    for (auto _ : state) benchmark::DoNotOptimize(muparser_loop(parser, k));
}

// Both engines must agree before their speeds are compared.
bool same_results() {
    std::vector<double> values{0.0, 1.5, 2.5};
    const char *texts[2] = {loop.symbols.c_str(), loop.code.c_str()};
    Formula(values.data(), texts);
    double a = 1.5, b = 2.5, k = 0.0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    parser.DefineVar("b", &b);
    parser.DefineVar("k", &k);
    parser.SetExpr(bench_support::loop_body_expression());
    double expected = muparser_loop(parser, k);
    return std::abs(values[0] - expected) <= 1e-9 * std::abs(expected);
}

}  // namespace

BENCHMARK(BM_Formula_Calc);
BENCHMARK(BM_Load_Calc);
BENCHMARK(BM_Run_Calc);
BENCHMARK(BM_Prepared_Calc);
BENCHMARK(BM_Muparser_ParseEval_Calc_NewParser);
BENCHMARK(BM_Muparser_ParseEval_Calc_ReusedParser);
BENCHMARK(BM_Muparser_PreParsed_Calc);
BENCHMARK(BM_Formula_Loop300);
BENCHMARK(BM_Load_Loop300);
BENCHMARK(BM_Run_Loop300);
BENCHMARK(BM_Prepared_Loop300);
BENCHMARK(BM_Muparser_ParseEval_Loop300_NewParser);
BENCHMARK(BM_Muparser_PreParsed_Loop300);

int main(int argc, char **argv) {
    if (!same_results()) {
        std::fprintf(stderr, "the loop formula and its muparser equivalent disagree\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
