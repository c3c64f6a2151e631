// One case of the instruction counts, run CALLS times:
//   instruction_counts CASE CALLS
// instruction_counts.sh runs each case under callgrind with two numbers of
// calls; the difference divided by the extra calls is the cost of one call,
// set-up and process start-up excluded. The cases:
//   formula_calc, formula_med, formula_alternating  Formula on CALC (r = a * 2),
//       on MED (r = (a + b) * c - a / 4 + b * 2.5), and on both in turn;
//   prepared_calc, prepared_med  an evaluation of the prepared formula;
//   muparser_parse_calc  muparser parsing and evaluating "a*2" with a new parser;
//   muparser_reparse_calc  the same with one parser, given the text again each call;
//   muparser_preparsed_calc  muparser evaluating "a*2" parsed beforehand.
#include <muParser.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zerizi.h"
#include "zerizi_prepared.h"

namespace {

// Both exactly as formcomp writes them.
const char *const calc_texts[2] = {
    "    CALC   3"
    "11                   A"
    "12                   R"
    "31                   2",
    "    CALC   62   12   31   43   21   11  99",
};
const char *const med_texts[2] = {
    "     MED   6"
    "11                   a11                   b11                   c12                   r"
    "31                   431                 2.5",
    "     MED  16"
    "2   12   21   22   31   42   12   51   51   32   22   61   41   23   41   11  99",
};

volatile double sink;

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

    if (is("formula_calc") || is("formula_med") || is("formula_alternating")) {
        const char *const *first = is("formula_med") ? med_texts : calc_texts;
        const char *const *second = is("formula_calc") ? calc_texts : med_texts;
        for (long call = 0; call < calls; ++call) {
            Formula(values, call % 2 ? second : first);
            sink = values[0];
        }
    } else if (is("prepared_calc") || is("prepared_med")) {
        zerizi::prepared_formula formula(is("prepared_calc") ? calc_texts[0] : med_texts[0],
                                         is("prepared_calc") ? calc_texts[1] : med_texts[1]);
        for (long call = 0; call < calls; ++call) {
            formula.evaluate(values);
            sink = values[0];
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
        double a = 21.0;
        mu::Parser parser;
        parser.DefineVar("a", &a);
        parser.SetExpr("a*2");
        sink = parser.Eval();
        for (long call = 0; call < calls; ++call) sink = parser.Eval();
    } else {
        std::fprintf(stderr, "unknown case %s\n", name);
        return 2;
    }
    return 0;
}
