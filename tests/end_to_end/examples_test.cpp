// The example formulas under examples/, compiled from source and evaluated
// with the inputs that docs/language.md and scripts/run-example.sh use.
#include "compile_and_evaluate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace end_to_end;

struct example_run {
    std::vector<double> inputs;
    double result;
};

void check_example(const std::string &file, const std::vector<example_run> &runs) {
    SCOPED_TRACE(file);
    compiled_formula formula = compile(read_text_file(EXAMPLES_FOLDER "/" + file));
    ASSERT_EQ(formula.exit_code, 0) << formula.messages;
    EXPECT_EQ(formula.messages, "Parsing ok\n");
    for (const example_run &run : runs) {
        EXPECT_DOUBLE_EQ(evaluate(formula, run.inputs), run.result);
    }
}

TEST(Examples, Calc) {
    check_example("calc.frm", {{{21}, 42}, {{0.1}, 0.2}});
}

TEST(Examples, Premium) {
    // Rate 2.9 per thousand, 10 per cent off: 435 - 43.5.
    check_example("premium.frm", {{{30, 5, 150000}, 391.5},
                                  // Under 25: 4.5; the discount stops at 20 per cent.
                                  {{22, 15, 100000}, 360},
                                  {{70, 0, 100000}, 380}});
}

TEST(Examples, Interest) {
    // 1050, 1102.5, 1157.625 rounded to 1157.63.
    check_example("interest.frm", {{{1000, 5, 3}, 1157.63}, {{1000, 5, 0}, 1000}});
}

TEST(Examples, Discount) {
    check_example("discount.frm", {{{120, 12.5, 0}, 1274.4},  // 10.625 -> 10.62 a piece
                                   {{20, 12.5, 0}, 237.4},    // 11.875 -> 11.87
                                   {{120, 12.5, 1}, 1500},    // promotional: no discount
                                   {{5, 12.5, 0}, 62.5},
                                   {{0, 12.5, 0}, 0}});       // errmsg: total never set
}

}  // namespace
