#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "evaluator/truncation.h"
#include "formula_builder.h"

namespace {

using namespace formula;
using test_support::apply;

TEST(Operators, Arithmetic) {
    EXPECT_EQ(apply(PLUS, 2.5, 4), 6.5);
    EXPECT_EQ(apply(MINUS, 10, 4), 6);
    EXPECT_EQ(apply(MULT, 21, 2), 42);
    EXPECT_EQ(apply(DIV, 1, 4), 0.25);
    EXPECT_EQ(apply(SIGN, 3.5), -3.5);
    EXPECT_TRUE(std::signbit(apply(SIGN, 0.0)));
    // PERC multiplies the product by 0.01: 35 per cent of 1 is then
    // 0.35000000000000003, where a division by 100 would give 0.35.
    EXPECT_EQ(apply(PERC, 200, 15), 30);
    EXPECT_EQ(apply(PERC, 1, 35), 0.35000000000000003);
    EXPECT_NE(apply(PERC, 1, 35), 0.35);
}

TEST(Operators, RemainderTakesTheSignOfTheDividend) {
    EXPECT_EQ(apply(MODOPER, 7, 3), 1);
    EXPECT_EQ(apply(MODOPER, -7, 3), -1);
    EXPECT_EQ(apply(MODOPER, 7, -3), 1);
    EXPECT_EQ(apply(MODOPER, 5.5, 2), 1.5);
}

TEST(Operators, BitwiseOperationsTruncateTowardZero) {
    EXPECT_EQ(apply(LOGAND, 3, 5), 1);
    EXPECT_EQ(apply(LOGAND, 0.9, 1), 0);
    EXPECT_EQ(apply(LOGAND, -1.5, 3), 3);  // -1 & 3
    EXPECT_EQ(apply(LOGAND, -4.5, 7), 4);  // -4 & 7
    EXPECT_EQ(apply(LOGOR, 1, 2), 3);
    EXPECT_EQ(apply(LOGNOT, 0), -1);
    EXPECT_EQ(apply(LOGNOT, 1), -2);
    EXPECT_EQ(apply(LOGNOT, 2.7), -3);
}

TEST(Operators, ComparisonsGiveOneOrZero) {
    EXPECT_EQ(apply(LGT, 2, 1), 1);
    EXPECT_EQ(apply(LGT, 1, 1), 0);
    EXPECT_EQ(apply(LLT, 1, 2), 1);
    EXPECT_EQ(apply(LLT, 2, 1), 0);
    EXPECT_EQ(apply(LGE, 1, 1), 1);
    EXPECT_EQ(apply(LGE, 0, 1), 0);
    EXPECT_EQ(apply(LLE, 1, 1), 1);
    EXPECT_EQ(apply(LLE, 2, 1), 0);
    EXPECT_EQ(apply(LNE, 1, 2), 1);
    EXPECT_EQ(apply(LNE, 0.0, -0.0), 0);
    EXPECT_EQ(apply(LEQ, 0.0, -0.0), 1);
    EXPECT_EQ(apply(LEQ, 1, 2), 0);
    EXPECT_EQ(apply(LEQ, NAN, NAN), 0);
    EXPECT_EQ(apply(LNE, NAN, NAN), 1);
}

TEST(Operators, RoundHalvesAwayFromZeroInItsSixSteps) {
    EXPECT_EQ(apply(ROUND, 2.5, 0), 3);
    EXPECT_EQ(apply(ROUND, -2.5, 0), -3);
    EXPECT_EQ(apply(ROUND, 2.4, 0), 2);
    EXPECT_EQ(apply(ROUND, 2.345, 2), 2.35);
    EXPECT_EQ(apply(ROUND, 1234.5, -2), 1200);
    EXPECT_EQ(apply(ROUND, 1.25, 1), 1.3);
    // Step 4 multiplies by 0.1: 1009.9999999999999 * 0.1 is exactly 101.
    EXPECT_EQ(apply(ROUND, 1.005, 2), 1.01);
    // The places are truncated: 2.9 counts as 2, -0.5 as 0.
    EXPECT_EQ(apply(ROUND, 2.345, 2.9), 2.35);
    EXPECT_EQ(apply(ROUND, 2.5, -0.5), 3);
    EXPECT_EQ(apply(ROUND, 0.0, 3), 0);
}

TEST(Operators, CeilAndFloorAtDecimalPlaces) {
    EXPECT_EQ(apply(CEIL, 1.231, 2), 1.24);
    EXPECT_EQ(apply(CEIL, -1.231, 2), -1.23);
    EXPECT_EQ(apply(FLOOR, 1.231, 2), 1.23);
    EXPECT_EQ(apply(FLOOR, -1.231, 2), -1.24);
    EXPECT_EQ(apply(CEIL, 1234, -2), 1300);
    EXPECT_EQ(apply(FLOOR, 1234, -2), 1200);
    // Fractional places are used unchanged (1.5 * 10^1.5 is 47.43..., so the
    // results are 48 and 47 times 10^-1.5), and the result is multiplied by
    // pow(10, -b), not divided by pow(10, b): 28 * 0.01 is
    // 0.28000000000000003, where 28 / 100 would be 0.28.
    EXPECT_EQ(apply(CEIL, 1.5, 1.5), 1.517893276880822);
    EXPECT_EQ(apply(FLOOR, 1.5, 1.5), 1.4862705002791381);
    EXPECT_EQ(apply(FLOOR, 0.29, 2), 0.28000000000000003);
}

TEST(Truncation, OutOfRangeAndNanGiveTheSmallestInteger) {
    using zerizi::truncate_to_int32;
    EXPECT_EQ(truncate_to_int32(7.9), 7);
    EXPECT_EQ(truncate_to_int32(-7.9), -7);
    EXPECT_EQ(truncate_to_int32(2147483647.9), INT32_MAX);
    EXPECT_EQ(truncate_to_int32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(truncate_to_int32(2147483648.0), INT32_MIN);
    EXPECT_EQ(truncate_to_int32(-2147483649.0), INT32_MIN);
    EXPECT_EQ(truncate_to_int32(NAN), INT32_MIN);
    EXPECT_EQ(truncate_to_int32(INFINITY), INT32_MIN);
    EXPECT_EQ(truncate_to_int32(-INFINITY), INT32_MIN);
    // Through the operators: LOGNOT of NaN complements INT32_MIN.
    EXPECT_EQ(apply(LOGNOT, NAN), INT32_MAX);
    EXPECT_EQ(apply(LOGOR, 1e300, 0), INT32_MIN);
    // ROUND at NaN places rounds at INT32_MIN places: 0 / 0.
    EXPECT_TRUE(std::isnan(apply(ROUND, 1.0, NAN)));
}

}  // namespace
