#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formula_builder.h"

namespace {

using namespace formula;
using test_support::formula_builder;
using test_support::formula_texts;

TEST(WorkedExample, CalcDoublesItsInput) {
    formula_texts calc = test_support::calc_example();
    ASSERT_EQ(calc.symbols,
              "    CALC   3"
              "11                   A"
              "12                   R"
              "31                   2");
    ASSERT_EQ(calc.code, "    CALC   62   12   31   43   21   11  99");
    double values[2] = {0.0, 21.0};
    const char *texts[2] = {calc.symbols.c_str(), calc.code.c_str()};
    EXPECT_EQ(Formula(values, texts), 1);
    EXPECT_EQ(values[0], 42.0);
    EXPECT_EQ(values[1], 21.0);  // inputs are only read
    // Nothing carries over from one call to the next.
    EXPECT_EQ(Formula(values, texts), 1);
    EXPECT_EQ(values[0], 42.0);
    EXPECT_EQ(calc.evaluate({-1.25}), -2.5);
}

TEST(Binding, InputsTakeElementsInSymbolOrderSkippingConstants) {
    formula_builder f;
    int first = f.input("A");
    f.constant("7");
    f.constant("2.5");
    int second = f.input("B");
    int r = f.output("R");
    // R = A - B
    f.operand(first);
    f.operand(second);
    f.op(MINUS);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate({21.0, 4.0}), 17.0);
}

TEST(Binding, ConstantsKeepTheirLiteralAndNeverTakeInput) {
    formula_builder f;
    int c = f.constant("2.5");
    int r = f.output("R");
    f.operand(c);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate({99.0}), 2.5);
}

TEST(Outputs, TheLaterOutputVariableIsHandedBack) {
    formula_builder f;
    int first = f.output("R1");
    int one = f.constant("1");
    int second = f.output("R2");
    int two = f.constant("2");
    f.operand(one);
    f.assign_to(first);
    f.operand(two);
    f.assign_to(second);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), 2.0);
}

TEST(Outputs, WithoutOutputVariablesElementZeroIsLeftAlone) {
    formula_builder f;
    int a = f.input("A");
    f.operand(a);
    f.assign_to(a);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate({5.0}, 77.0), 77.0);
}

// Variables that take no input start every call at 0.0, even after a call
// that assigned them.
TEST(Binding, LocalInoutAndStaticStartAtZero) {
    for (int scope : {scope_inout, scope_local, scope_static}) {
        formula_builder f;
        int v = f.variable(scope, "V");
        int r = f.output("R");
        int ten = f.constant("10");
        // R = V; V = 10 (so a carried-over value would show on the second call)
        f.operand(v);
        f.assign_to(r);
        f.operand(ten);
        f.assign_to(v);
        f.op(STOP);
        formula_texts texts = f.build();
        EXPECT_EQ(texts.evaluate({1.0}), 0.0) << "scope " << scope;
        EXPECT_EQ(texts.evaluate({1.0}), 0.0) << "scope " << scope;
    }
}

// R = 1; BRF on the condition C jumps over "R = 2".
formula_texts conditional(bool negate) {
    formula_builder f;
    int c = f.input("C");
    int r = f.output("R");
    int one = f.constant("1");
    int two = f.constant("2");
    f.operand(one);
    f.assign_to(r);
    f.operand(c);
    if (negate) f.op(SIGN);
    int target = f.reference(0);
    f.op(BRF);
    f.operand(two);
    f.assign_to(r);
    f.patch(target, f.next_address());
    f.op(STOP);
    return f.build();
}

TEST(Jumps, BrfJumpsOnlyForZero) {
    formula_texts texts = conditional(false);
    EXPECT_EQ(texts.evaluate({0.0}), 1.0);
    EXPECT_EQ(texts.evaluate({-0.0}), 1.0);
    EXPECT_EQ(texts.evaluate({1.0}), 2.0);
    EXPECT_EQ(texts.evaluate({-2.0}), 2.0);
    EXPECT_EQ(texts.evaluate({0.5}), 2.0);
    EXPECT_EQ(texts.evaluate({NAN}), 2.0);
    // -0.0 made by the code itself.
    EXPECT_EQ(conditional(true).evaluate({0.0}), 1.0);
}

TEST(Jumps, BrJumpsAndAddressesAreTruncated) {
    formula_builder f;
    int target = f.input("T");
    int r = f.output("R");
    int five = f.constant("5");
    int six = f.constant("6");
    f.operand(target);  // 1
    f.op(BR);           // 2
    f.operand(five);    // 3
    f.assign_to(r);     // 4, 5
    f.op(STOP);         // 6
    f.operand(six);     // 7
    f.assign_to(r);     // 8, 9
    f.op(STOP);         // 10
    formula_texts texts = f.build();
    EXPECT_EQ(texts.evaluate({3.0}), 5.0);
    EXPECT_EQ(texts.evaluate({7.0}), 6.0);
    EXPECT_EQ(texts.evaluate({7.9}), 6.0);
    EXPECT_EQ(texts.evaluate({3.99}), 5.0);
}

TEST(Jumps, ALoopRunsUntilItsConditionFails) {
    // I = 0; R = 0; while (I < N) { R = R + I; I = I + 1 }
    formula_builder f;
    int n = f.input("N");
    int r = f.output("R");
    int i = f.variable(scope_local, "I");
    int one = f.constant("1");
    int top = f.operand(i);
    f.operand(n);
    f.op(LLT);
    int exit = f.reference(0);
    f.op(BRF);
    f.operand(r);
    f.operand(i);
    f.op(PLUS);
    f.assign_to(r);
    f.operand(i);
    f.operand(one);
    f.op(PLUS);
    f.assign_to(i);
    f.reference(top);
    f.op(BR);
    f.patch(exit, f.next_address());
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate({100.0}), 4950.0);
}

TEST(Stop, StopMidCodeEndsTheRunAndHandsBack) {
    formula_builder f;
    int r = f.output("R");
    int one = f.constant("1");
    int two = f.constant("2");
    f.operand(one);
    f.assign_to(r);
    f.op(STOP);
    f.operand(two);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), 1.0);
}

TEST(Stop, ErmAndInfChangeNothingAndIgnoredInstructionsArePassedOver) {
    formula_builder f;
    int r = f.output("R");
    int three = f.constant("3");
    f.operand(three);
    f.op(INF);
    f.op(0);
    f.op(26);
    f.op(98);
    f.op(100);
    f.emit(0, 1);
    f.emit(4, 1);
    f.emit(9, 2);
    f.reference(-1);
    f.op(PLUS);  // 3 + -1
    f.assign_to(r);
    f.op(ERM);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), 2.0);
}

TEST(Flags, IsinReportsAnAssignmentDuringThisEvaluation) {
    // R = isin(A) * 10 + isin(B), after assigning B only.
    formula_builder f;
    int a = f.input("A");
    int b = f.variable(scope_local, "B");
    int r = f.output("R");
    int ten = f.constant("10");
    f.operand(ten);
    f.assign_to(b);
    f.reference(a);
    f.op(LOGISIN);
    f.operand(ten);
    f.op(MULT);
    f.reference(b);
    f.op(LOGISIN);
    f.op(PLUS);
    f.assign_to(r);
    f.op(STOP);
    formula_texts texts = f.build();
    EXPECT_EQ(texts.evaluate({5.0}), 1.0);
    EXPECT_EQ(texts.evaluate({5.0}), 1.0);  // not carried over
}

TEST(Assignment, ALaterStatementSeesTheNewValue) {
    formula_builder f;
    int a = f.input("A");
    int r = f.output("R");
    int one = f.constant("1");
    f.operand(a);
    f.operand(one);
    f.op(PLUS);
    f.assign_to(a);
    f.operand(a);
    f.operand(a);
    f.op(MULT);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate({2.0}), 9.0);
}

TEST(Stack, DeepExpressionsComputeTheirValue) {
    // 1 + (2 + (3 + ... + (40))): forty values stacked at once.
    formula_builder f;
    int r = f.output("R");
    std::vector<int> constants;
    for (int k = 1; k <= 40; ++k) constants.push_back(f.constant(std::to_string(k)));
    for (int k : constants) f.operand(k);
    for (int k = 1; k < 40; ++k) f.op(PLUS);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), 820.0);
}

TEST(Stack, AMessageInALoopLeavesAValuePerPassAndStillRuns) {
    // while (I < N) { message; I = I + 1 }: each message pushes its text's
    // symbol and INF takes nothing, so the stack grows by one per pass.
    formula_builder f;
    int n = f.input("N");
    int r = f.output("R");
    int i = f.variable(scope_local, "I");
    int one = f.constant("1");
    int top = f.operand(i);
    f.operand(n);
    f.op(LLT);
    int exit = f.reference(0);
    f.op(BRF);
    f.operand(one);
    f.op(INF);
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
    EXPECT_EQ(f.build().evaluate({100000.0}), 100000.0);
}

TEST(Stack, LargeFormulasLoadAndRun) {
    // 2000 instructions, 300 symbols: tables beyond the engine's own storage.
    formula_builder f;
    int r = f.output("R");
    std::vector<int> constants;
    for (int k = 1; k <= 299; ++k) constants.push_back(f.constant(std::to_string(k)));
    double expected = 0.0;
    f.operand(constants[0]);
    expected += 1;
    for (int k = 1; k < 1000; ++k) {
        f.operand(constants[k % 299]);
        expected += (k % 299) + 1;
        f.op(PLUS);
    }
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), expected);
}

}  // namespace
