// The zero divisor shows "Errore" / "Divisione per zero" through the platform
// layer, whose POSIX form writes one line on standard error.
#include <gtest/gtest.h>

#include <string>

#include "formula_builder.h"

namespace {

using namespace formula;
using test_support::formula_builder;

const std::string message_line = "Errore: Divisione per zero\n";

#ifdef _WIN32
#define SKIP_WHERE_THE_MESSAGE_IS_A_DIALOG() \
    GTEST_SKIP() << "on Windows the message is a modal MessageBoxA, which this test cannot read " \
                    "back (under Wine there is no display to show it)"
#else
#define SKIP_WHERE_THE_MESSAGE_IS_A_DIALOG() static_cast<void>(0)
#endif

std::string repeated(const std::string &line, int times) {
    std::string all;
    for (int k = 0; k < times; ++k) all += line;
    return all;
}

TEST(DivisionMessage, ShownOncePerZeroDivisorAndNothingIsPushed) {
    SKIP_WHERE_THE_MESSAGE_IS_A_DIALOG();
    for (int opcode : {DIV, MODOPER}) {
        // R = 5 + A / B: after the message the stack holds only the 5, so
        // ASSIGN stores it into R.
        formula_builder f;
        int a = f.input("A");
        int b = f.input("B");
        int r = f.output("R");
        int five = f.constant("5");
        f.operand(five);
        f.operand(a);
        f.operand(b);
        f.op(opcode);
        f.op(PLUS);
        f.assign_to(r);
        f.op(STOP);
        auto texts = f.build();

        testing::internal::CaptureStderr();
        double result = texts.evaluate({7.0, 0.0});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message_line);
        // PLUS found one value: 5 + the 0.0 of the empty stack.
        EXPECT_EQ(result, 5.0);

        testing::internal::CaptureStderr();
        EXPECT_EQ(texts.evaluate({7.0, -0.0}), 5.0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message_line);

        testing::internal::CaptureStderr();
        EXPECT_EQ(texts.evaluate({7.0, 2.0}), opcode == DIV ? 8.5 : 6.0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(DivisionMessage, ALoopShowsItOnEveryPass) {
    SKIP_WHERE_THE_MESSAGE_IS_A_DIALOG();
    // while (I < 3) { X = 1 / 0; I = I + 1 }
    formula_builder f;
    int i = f.variable(scope_local, "I");
    int x = f.variable(scope_local, "X");
    int r = f.output("R");
    int one = f.constant("1");
    int three = f.constant("3");
    int zero = f.constant("0");
    int top = f.operand(i);
    f.operand(three);
    f.op(LLT);
    int exit = f.reference(0);
    f.op(BRF);
    f.operand(one);
    f.operand(zero);
    f.op(DIV);
    f.assign_to(x);
    f.operand(i);
    f.operand(one);
    f.op(PLUS);
    f.assign_to(i);
    f.reference(top);
    f.op(BR);
    f.patch(exit, f.next_address());
    f.operand(i);
    f.assign_to(r);
    f.op(STOP);
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.build().evaluate(), 3.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), repeated(message_line, 3));
}

}  // namespace
