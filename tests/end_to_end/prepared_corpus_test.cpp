// Prepared against fresh: formulas from the compiler's test corpus and the
// examples, and random formulas built from the language's statements, each
// prepared once through ZERIZI_PREPARED and evaluated many times with
// different inputs, in a random order; every result equals the result of a
// fresh Formula call with the same inputs, to the bit.
#include "compile_and_evaluate.h"

#include <zerizi.h>
#include <zerizi_prepared.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace end_to_end;

// Real inputs with a fraction: a loop that counts one down never meets an
// exact zero divisor (on Windows the division message is a modal dialog).
std::vector<double> random_inputs(std::mt19937 &random, std::size_t count) {
    std::uniform_real_distribution<double> value(-40.0, 40.0);
    std::vector<double> inputs(count);
    for (double &input : inputs) input = value(random) + 0.125;
    return inputs;
}

void expect_prepared_equals_fresh(const std::string &source, std::mt19937 &random) {
    SCOPED_TRACE(source);
    const compiled_formula formula = compile(source);
    ASSERT_EQ(formula.exit_code, 0) << formula.messages;
    zerizi::prepared_formula prepared(formula.symbol_text.c_str(), formula.code_text.c_str());
    for (int evaluation = 0; evaluation < 12; ++evaluation) {
        const std::vector<double> inputs = random_inputs(random, 8);
        std::vector<double> values{-999.0};
        values.insert(values.end(), inputs.begin(), inputs.end());
        prepared.evaluate(values.data());
        const double expected = evaluate(formula, inputs);
        EXPECT_EQ(std::memcmp(&values[0], &expected, sizeof expected), 0)
            << "inputs " << inputs[0] << ", " << inputs[1] << ", " << inputs[2] << ": prepared " << values[0]
            << ", fresh " << expected;
    }
}

std::vector<std::string> corpus_sources() {
    std::vector<std::string> sources;
    for (const char *folder : {CORPUS_FOLDER, EXAMPLES_FOLDER, TOOL_SOURCES_FOLDER})
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".frm") sources.push_back(read_text_file(entry.path().string()));
    return sources;
}

// A random expression over the inputs a, b, c and the variables s, t, l,
// appended to `out`.
void append_random_expression(std::string &out, std::mt19937 &random, int depth) {
    static const char *const leaves[] = {"a", "b", "c", "s", "t", "l", "2", "0.5", "3.25", "10"};
    static const char *const operators[] = {" + ", " - ", " * ", " / ", " % ", " mod "};
    static const char *const functions[] = {"round(", "ceil(", "floor("};
    const auto pick = [&](unsigned count) { return random() % count; };
    if (depth == 0 || pick(3) == 0) {
        out += leaves[pick(10)];
        return;
    }
    switch (pick(4)) {
        case 0:
            out += '-';
            append_random_expression(out, random, depth - 1);
            return;
        case 1:
            out += functions[pick(3)];
            append_random_expression(out, random, depth - 1);
            out += ", ";
            out += leaves[pick(10)];
            out += ')';
            return;
        default: {
            out += '(';
            append_random_expression(out, random, depth - 1);
            const unsigned op = pick(6);
            out += operators[op];
            // A divisor is a literal that is not 0 (see random_inputs).
            if (op == 3 || op == 5)
                out += leaves[6 + pick(4)];
            else
                append_random_expression(out, random, depth - 1);
            out += ')';
        }
    }
}

// Six statements: assignments, some of them inside an "if" whose condition
// uses a comparison, "and", "or", "not" and "isin", or inside a "while" that
// counts k or j up to a few passes, or jumped over, or repeated, by "goto".
std::string random_formula(std::mt19937 &random) {
    static const char *const targets[] = {"r = ", "s = ", "t = ", "l = ", "a = "};
    static const char *const comparisons[] = {" > ", " < ", " >= ", " <= ", " == ", " != "};
    static const char *const counters[] = {"k", "j"};
    std::string source = "method RANDOM input a, b, c; output r; static s; inout t; local l, k, j; proc ";
    for (int statement = 0; statement < 6; ++statement) {
        const unsigned shape = random() % 6;
        if (shape == 4) {
            const char *counter = counters[random() % 2];
            source.append(counter).append(" = 0; while (").append(counter).append(" < ");
            source.append(std::to_string(random() % 4)).append(") ");
            source += targets[random() % 5];
            append_random_expression(source, random, 3);
            source.append("; ").append(counter).append(" = ").append(counter).append(" + 1; end ");
            continue;
        }
        if (shape == 5) {
            // Forward over a statement, or back to repeat it while l < 3.
            std::string label = "p";
            label += std::to_string(statement);
            if (random() % 2) {
                source.append("goto ").append(label).append(" ");
                source += targets[random() % 5];
                append_random_expression(source, random, 3);
                source.append("; label ").append(label).append(" : ");
            } else {
                source.append("l = 0; label ").append(label).append(" : l = l + 1; ");
                source += targets[random() % 3];  // not l, which counts
                append_random_expression(source, random, 3);
                source.append("; if l < 3 then goto ").append(label).append(" end ");
            }
            continue;
        }
        const bool conditional = shape < 2;
        if (conditional) {
            source += "if ";
            append_random_expression(source, random, 2);
            source += comparisons[random() % 6];
            append_random_expression(source, random, 2);
            source += random() % 2 ? " and not isin(l) then " : " or isin(s) then ";
        }
        source += targets[random() % 5];
        append_random_expression(source, random, 3);
        source += "; ";
        if (conditional) source += "else l = 1; end ";
    }
    source += "r = r + s + t + l; endp";
    return source;
}

TEST(PreparedFormula, EqualsFreshCallsOnTheCorpusAndRandomFormulas) {
    std::mt19937 random(20261207);
    for (const std::string &source : corpus_sources()) expect_prepared_equals_fresh(source, random);
    for (int formula = 0; formula < 200; ++formula) expect_prepared_equals_fresh(random_formula(random), random);
}

}  // namespace
