// The run budget (run_budget.h): charged at the jumps, asked every so many
// instructions, stopping the run at once when go_on says so; never asked by
// code without jumps. Through evaluate_bounded (the engine of a prepared
// formula, fused assignments and all) and the text machine Formula runs.
#include <gtest/gtest.h>

#include "evaluator/bounded_evaluation.h"
#include "evaluator/execution.h"
#include "formula_builder.h"
#include "zerizi_prepared.h"

namespace {

// As formcomp writes them. CALC: r = a * 2. SUM: while (n > 0) r = r + n;
// n = n - 1; end (a pass is 17 instructions: the test up to BRF, 5, and the
// body up to BR, 12). FOREVER: while (a > 0) r = r + 1; end.
const char *const calc_texts[2] = {
    "    CALC   311                   A12                   R31                   2",
    "    CALC   62   12   31   43   21   11  99",
};
const char *const sum_texts[2] = {
    "     SUM   411                   n12                   r31                   031                   1",
    "     SUM  182   12   31  123  181  182   22   11   23   21   12   12   41   33   11   13   11  191  99",
};
const char *const forever_texts[2] = {
    " FOREVER   411                   a12                   r31                   031                   1",
    " FOREVER  132   12   31  123  131  182   22   41   23   21   13   11  191  99",
};

// go_on says yes `yes` times, then no; it counts the times it was asked.
struct asking {
    int yes;
    int asked = 0;
    static bool go_on(void *context) {
        auto *self = static_cast<asking *>(context);
        return self->asked++ < self->yes;
    }
    zerizi::run_budget every(std::uint64_t instructions) { return {instructions, &asking::go_on, this}; }
};

TEST(RunBudget, CodeWithoutJumpsNeverAsks) {
    zerizi::prepared_formula prepared(calc_texts[0], calc_texts[1]);
    asking never{0};
    double values[2] = {0.0, 21.0};
    EXPECT_EQ(zerizi::evaluate_bounded(prepared.handle(), values, never.every(1)), 0);
    EXPECT_EQ(values[0], 42.0);
    values[0] = 0.0;
    EXPECT_EQ(zerizi::run_bound_code(zerizi::text_source{calc_texts}, values, zerizi::no_observer{}, never.every(1)), 0);
    EXPECT_EQ(values[0], 42.0);
    EXPECT_EQ(never.asked, 0);
}

TEST(RunBudget, ChargedAtEveryJumpAndAskedEveryPeriod) {
    zerizi::prepared_formula prepared(sum_texts[0], sum_texts[1]);
    // Ten passes and the last test: 11 BRF and 10 BR.
    for (auto [period, asked] : {std::pair{1, 21}, {17, 10}, {1000, 0}}) {
        asking always{1000};
        double values[2] = {0.0, 10.0};
        EXPECT_EQ(zerizi::evaluate_bounded(prepared.handle(), values, always.every(period)), 0);
        EXPECT_EQ(values[0], 55.0) << period;
        EXPECT_EQ(always.asked, asked) << period;
        asking on_text{1000};
        values[0] = 0.0;
        zerizi::run_bound_code(zerizi::text_source{sum_texts}, values, zerizi::no_observer{}, on_text.every(period));
        EXPECT_EQ(values[0], 55.0) << period;
        EXPECT_EQ(on_text.asked, asked) << period;
    }
}

TEST(RunBudget, ALoopThatNeverEndsIsStoppedAndTheHandleStartsOver) {
    zerizi::prepared_formula prepared(forever_texts[0], forever_texts[1]);
    asking three_periods{3};
    double values[2] = {-7.0, 1.0};
    EXPECT_EQ(zerizi::evaluate_bounded(prepared.handle(), values, three_periods.every(100)), zerizi::stopped_by_budget);
    EXPECT_EQ(values[0], -7.0);  // nothing handed back
    EXPECT_EQ(three_periods.asked, 4);
    // The next evaluations start from nothing: r is 0.0 again, not what the
    // stopped run had counted.
    values[1] = 0.0;
    EXPECT_EQ(zerizi::evaluate_bounded(prepared.handle(), values, three_periods.every(100)), 0);
    EXPECT_EQ(values[0], 0.0);
    values[0] = -7.0;
    EXPECT_EQ(prepared.evaluate(values), 0);
    EXPECT_EQ(values[0], 0.0);

    asking once{0};
    values[1] = 1.0;
    EXPECT_EQ(zerizi::run_bound_code(zerizi::text_source{forever_texts}, values, zerizi::no_observer{}, once.every(50)),
              zerizi::stopped_by_budget);
    EXPECT_EQ(once.asked, 1);
}

}  // namespace
