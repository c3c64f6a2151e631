// The extension's C++ side in process, as the server calls it (under the
// sanitizers too): compiles and their messages, the checks of stored texts,
// and prepared formulas under a budget whose go_on stops the run.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "postgres/formula_shim.h"

namespace {

struct malloced_text {
    char *text;
    ~malloced_text() { formula_shim_free(text); }
};

struct compile_outcome {
    formula_compile_outcome outcome;
    explicit compile_outcome(const std::string &source) : outcome(formula_shim_compile(source.data(), source.size())) {}
    ~compile_outcome() {
        for (char *text : {outcome.symbol_text, outcome.code_text, outcome.message, outcome.detail})
            formula_shim_free(text);
    }
};

using prepared_ptr = std::unique_ptr<PreparedFormula, decltype(&formula_shim_release)>;

prepared_ptr prepare(const compile_outcome &compiled, int &inputs, bool &has_output) {
    return prepared_ptr(formula_shim_prepare(compiled.outcome.symbol_text, compiled.outcome.code_text, &inputs,
                                             &has_output),
                        &formula_shim_release);
}

TEST(PostgresShim, CompilesOrHandsBackFormcompsMessages) {
    const compile_outcome good("method CALC\ninput A, B;\noutput R;\nproc\nR = A * B;\nendp\n");
    ASSERT_EQ(good.outcome.status, formula_compiled);
    const std::string symbols = good.outcome.symbol_text, code = good.outcome.code_text;
    EXPECT_TRUE(formula_shim_is_compiled_text(symbols.data(), symbols.size(), true));
    EXPECT_TRUE(formula_shim_is_compiled_text(code.data(), code.size(), false));

    const compile_outcome two("method X\ninput A;\noutput R;\nproc\nR = Q + P;\nendp\n");
    ASSERT_EQ(two.outcome.status, formula_source_refused);
    EXPECT_STREQ(two.outcome.message, "Variabile Q non definita linea 5");
    EXPECT_STREQ(two.outcome.detail, "Variabile P non definita linea 5");
    EXPECT_EQ(two.outcome.symbol_text, nullptr);

    const compile_outcome long_name("method TOOLONGNAME\ninput a;\noutput r;\nproc\nr = a;\nendp\n");
    EXPECT_EQ(long_name.outcome.status, formula_source_too_large);
    EXPECT_EQ(long_name.outcome.detail, nullptr);
}

TEST(PostgresShim, RefusesTextsCutShortOrWithLineEnds) {
    const std::string symbols = "    CALC   311                   A12                   R31                   2";
    for (std::size_t length = 0; length < symbols.size(); ++length)
        EXPECT_FALSE(formula_shim_is_compiled_text(symbols.data(), length, true)) << length;
    EXPECT_TRUE(formula_shim_is_compiled_text(symbols.data(), symbols.size(), true));
    EXPECT_FALSE(formula_shim_is_compiled_text(symbols.data(), symbols.size(), false));
    const std::string inner_line_end = "    CALC   1\n  99";
    EXPECT_FALSE(formula_shim_is_compiled_text(inner_line_end.data(), inner_line_end.size(), false));

    int count = -1;
    malloced_text names{formula_shim_input_names(symbols.data(), symbols.size(), &count)};
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(names.text, "A");
    bool failed = true;
    malloced_text output{formula_shim_output_name(symbols.data(), symbols.size(), &failed)};
    EXPECT_FALSE(failed);
    EXPECT_STREQ(output.text, "R");
}

TEST(PostgresShim, ADivisionKeepsTheMessageForTheWarningAndWritesNothing) {
    const compile_outcome compiled("method DIVIDE\ninput a, b;\noutput r;\nproc\nr = 5 + a / b;\nendp\n");
    int inputs = 0;
    bool has_output = false;
    prepared_ptr formula = prepare(compiled, inputs, has_output);
    ASSERT_NE(formula, nullptr);
    EXPECT_EQ(inputs, 2);
    EXPECT_TRUE(has_output);
    double values[3] = {0.0, 7.0, 0.0};
    testing::internal::CaptureStderr();
    EXPECT_EQ(formula_shim_evaluate(formula.get(), values, 1000, [](void *) { return true; }, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(values[0], 5.0);
    EXPECT_STREQ(formula_shim_division_message(), "Divisione per zero");
}

TEST(PostgresShim, TheBudgetStopsAnEndlessFormulaAndSparesStraightLineCode) {
    const compile_outcome endless("method ENDLESS\ninput a;\noutput r;\nproc\nwhile (a > 0) r = r + 1; end\nendp\n");
    int inputs = 0;
    bool has_output = false;
    prepared_ptr formula = prepare(endless, inputs, has_output);
    ASSERT_NE(formula, nullptr);
    int questions = 0;
    const auto three_questions = [](void *context) { return ++*static_cast<int *>(context) < 3; };
    double values[2] = {-1.0, 1.0};
    EXPECT_EQ(formula_shim_evaluate(formula.get(), values, 64, three_questions, &questions), FORMULA_SHIM_STOPPED);
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(values[0], -1.0);  // untouched

    const compile_outcome straight(
        "method MED\ninput a, b, c;\noutput r;\nproc\nr = (a + b) * c - a / 4 + b * 2.5;\nendp\n");
    formula = prepare(straight, inputs, has_output);
    questions = 0;
    double med[4] = {0.0, 4.0, 2.0, 3.0};
    EXPECT_EQ(formula_shim_evaluate(formula.get(), med, 1, three_questions, &questions), 0);
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(med[0], 22.0);
}

}  // namespace
