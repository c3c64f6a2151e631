// One case of the instruction counts, run CALLS times:
//   instruction_counts CASE CALLS
// instruction_counts.sh runs each case under callgrind with two numbers of
// calls; the difference divided by the extra calls is the cost of one call,
// set-up and process start-up excluded. The cases:
//   formula_calc, formula_med, formula_alternating  Formula on CALC (r = a * 2),
//       on MED (r = (a + b) * c - a / 4 + b * 2.5), and on both in turn;
//   formula_premio  Formula on PREMIO (examples/premium.frm);
//   prepared_calc, prepared_med, prepared_branch, prepared_premio  an
//       evaluation of the prepared formula; BRANCH is
//       if a < 25 then r = a * 4.5; else r = a * 2.9; end;
//   formula_loop, prepared_loop  Formula and an evaluation of the prepared
//       formula on the 300-instruction loop of the benchmarks (loop_formula.h);
//   muparser_parse_calc  muparser parsing and evaluating "a*2" with a new parser;
//   muparser_reparse_calc  the same with one parser, given the text again each call;
//   muparser_preparsed_calc, muparser_preparsed_med, muparser_preparsed_branch
//       muparser evaluating "a*2", MED and "a<25 ? a*4.5 : a*2.9" parsed beforehand.
#include <muParser.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loop_formula.h"
#include "zerizi.h"
#include "zerizi_prepared.h"

namespace {

// Exactly as formcomp writes them; each text on a boundary of its own, so
// that the cost of strlen over it does not change when other texts are added.
alignas(64) const char calc_symbols[] =
"    CALC   3"
    "11                   A"
    "12                   R"
    "31                   2";
alignas(64) const char calc_code[] =
    "    CALC   62   12   31   43   21   11  99";
const char *const calc_texts[2] = {calc_symbols, calc_code};
alignas(64) const char med_symbols[] =
"     MED   6"
    "11                   a11                   b11                   c12                   r"
    "31                   431                 2.5";
alignas(64) const char med_code[] =
    "     MED  16"
    "2   12   21   22   31   42   12   51   51   32   22   61   41   23   41   11  99";
const char *const med_texts[2] = {med_symbols, med_code};

alignas(64) const char branch_symbols[] =
"      BR   5"
    "11                   a12                   r31                  2531                 4.531                 2.9";
alignas(64) const char branch_code[] =
    "      BR  18"
    "2   12   31  133  131  182   12   41   43   21   13  181  192   12   51   43   21   11  99";
const char *const branch_texts[2] = {branch_symbols, branch_code};
alignas(64) const char premio_symbols[] =
"  PREMIO  14"
    "11                 eta11 anni_senza_sinistri11            capitale12              premio14               tasso"
    "14              sconto31                  2531                 4.531                  6531                 3.8"
    "31                 2.931                   231                  2031                1000";
alignas(64) const char premio_code[] =
    "  PREMIO  56"
    "2   12   71  133  111  182   83   51   13  241  192   12   91  143  211  182  103   51   13  241  192  113   51"
    "   12   22  121   43   61   12   62  131  123  371  182  133   61   12   32   51   42  141   53   41   12   42"
    "   42   61   71   33   41   12   42  121  233   41   11  99";
const char *const premio_texts[2] = {premio_symbols, premio_code};

volatile double sink;

// muparser evaluating an expression over a, b and c parsed beforehand.
void muparser_preparsed(const char *expression, long calls) {
    double a = 21.0, b = 4.0, c = 3.0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    parser.DefineVar("b", &b);
    parser.DefineVar("c", &c);
    parser.SetExpr(expression);
    sink = parser.Eval();
    for (long call = 0; call < calls; ++call) sink = parser.Eval();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: instruction_counts CASE CALLS\n");
        return 2;
    }
    const char *name = argv[1];
    const long calls = std::atol(argv[2]);
    double values[4] = {0.0, 21.0, 4.0, 3.0};
    const auto is = [&](const char *candidate) { return std::strcmp(name, candidate) == 0; };

    if (is("formula_premio")) {
        for (long call = 0; call < calls; ++call) {
            Formula(values, premio_texts);
            sink = values[0];
        }
    } else if (is("formula_calc") || is("formula_med") || is("formula_alternating")) {
        const char *const *first = is("formula_med") ? med_texts : calc_texts;
        const char *const *second = is("formula_calc") ? calc_texts : med_texts;
        for (long call = 0; call < calls; ++call) {
            Formula(values, call % 2 ? second : first);
            sink = values[0];
        }
    } else if (is("prepared_calc") || is("prepared_med") || is("prepared_branch") || is("prepared_premio")) {
        const char *const *texts = is("prepared_calc")   ? calc_texts
                                   : is("prepared_med")  ? med_texts
                                   : is("prepared_branch") ? branch_texts
                                                           : premio_texts;
        zerizi::prepared_formula formula(texts[0], texts[1]);
        for (long call = 0; call < calls; ++call) {
            formula.evaluate(values);
            sink = values[0];
        }
    } else if (is("formula_loop") || is("prepared_loop")) {
        const test_support::formula_texts loop = bench_support::loop_formula();
        const char *const texts[2] = {loop.symbols.c_str(), loop.code.c_str()};
        double inputs[3] = {0.0, 1.5, 2.5};
        zerizi::prepared_formula formula(texts[0], texts[1]);
        if (is("formula_loop")) {
            for (long call = 0; call < calls; ++call) {
                Formula(inputs, texts);
                sink = inputs[0];
            }
        } else {
            for (long call = 0; call < calls; ++call) {
                formula.evaluate(inputs);
                sink = inputs[0];
            }
        }
    } else if (is("muparser_parse_calc")) {
        double a = 21.0;
        for (long call = 0; call < calls; ++call) {
            mu::Parser parser;
            parser.DefineVar("a", &a);
            parser.SetExpr("a*2");
            sink = parser.Eval();
        }
    } else if (is("muparser_reparse_calc")) {
        double a = 21.0;
        mu::Parser parser;
        parser.DefineVar("a", &a);
        for (long call = 0; call < calls; ++call) {
            parser.SetExpr("a*2");
            sink = parser.Eval();
        }
    } else if (is("muparser_preparsed_calc")) {
        muparser_preparsed("a*2", calls);
    } else if (is("muparser_preparsed_med")) {
        muparser_preparsed("(a+b)*c-a/4+b*2.5", calls);
    } else if (is("muparser_preparsed_branch")) {
        muparser_preparsed("a<25 ? a*4.5 : a*2.9", calls);
    } else {
        std::fprintf(stderr, "unknown case %s\n", name);
        return 2;
    }
    return 0;
}
