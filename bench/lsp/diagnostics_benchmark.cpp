// The time from a change of a document of about 4,000 instructions to the
// diagnostics that formula-lsp sends for it: the whole-text change read as
// JSON, the compile, the warnings, and the notification written as JSON.
// The target is 5 ms per change.
#include "tools/formula_lsp/language_server.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

namespace {

using formula_lsp::json;

// A formula of about 4,000 instructions: 60 variables and 60 blocks of
// assignments, conditions, loops and jumps. With `broken`, every twentieth
// block reads a variable that is not declared.
std::string large_formula(bool broken) {
    std::ostringstream source;
    source << "method LARGE\ninput i0";
    for (int i = 1; i < 20; ++i) source << ", i" << i;
    source << ";\noutput r;\nlocal t0";
    for (int i = 1; i < 40; ++i) source << ", t" << i;
    source << ";\nproc\n";
    for (int block = 0; block < 60; ++block) {
        int t = block % 40, i = block % 20;
        source << "label L" << block << ":\n"
               << "t" << t << " = i" << i << " * 1.5 + round(i" << i << ", 2) - t" << t << " / 3;\n"
               << "t" << t << " = i" << i << " * 0.5 + floor(i" << i << ", 1) - t" << t << " / 7;\n"
               << "r = r + t" << t << ";\n"
               << "if t" << t << " > 10 and not isin(r) then\n  r = t" << t << " % 2;\nelse\n  r = ceil(t" << t
               << ", 1);\nend\n"
               << "while (t" << t << " < 100)\n  t" << t << " = t" << t << " + "
               << (broken && block % 20 == 0 ? 'u' : 'i');
        if (!broken || block % 20 != 0) source << i;
        source << ";\nend\n"
               << "goto L" << (block + 1) % 60 << "\n";
    }
    source << "endp\n";
    return source.str();
}

json change_of(const std::string &text, int version) {
    return {{"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params",
             {{"textDocument", {{"uri", "file:///large.frm"}, {"version", version}}},
              {"contentChanges", json::array({{{"text", text}}})}}}};
}

void diagnostics_after_a_change(benchmark::State &state) {
    bool broken = state.range(0) != 0;
    formula_lsp::language_server server;
    std::string text = large_formula(broken);
    json open = {{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params", {{"textDocument", {{"uri", "file:///large.frm"}, {"languageId", "formula"},
                                               {"version", 1}, {"text", text}}}}}};
    server.handle(json{{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", json::object()}}.dump());
    std::vector<json> first = server.handle(open.dump());
    // Two versions that differ in one constant, sent in turn.
    std::string changed = text;
    changed[changed.find("1.5")] = '2';
    std::string changes[2] = {change_of(text, 2).dump(), change_of(changed, 3).dump()};
    std::size_t sent = 0, diagnostics = 0;
    for (auto _ : state) {
        std::vector<json> out = server.handle(changes[sent++ % 2]);
        std::string notification = out.at(0).dump();
        diagnostics = out.at(0)["params"]["diagnostics"].size();
        benchmark::DoNotOptimize(notification.data());
    }
    formcomp::compile_result result = formcomp::compile_source(text, {false, true});
    state.counters["instructions"] = result.succeeded ? std::stoi(result.texts.code_text.substr(8, 4)) : 0;
    state.counters["diagnostics"] = static_cast<double>(diagnostics);
    state.counters["source_kB"] = static_cast<double>(text.size()) / 1024;
}
BENCHMARK(diagnostics_after_a_change)->Arg(0)->Arg(1)->ArgNames({"broken"})->Unit(benchmark::kMillisecond);

}  // namespace
