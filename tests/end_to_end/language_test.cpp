// Every statement and operator of the language, from source to result.
#include "compile_and_evaluate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using end_to_end::compile;
using end_to_end::evaluate;
using end_to_end::run;

// r = EXPRESSION with the inputs a, b, c.
double value_of(const std::string &expression, double a = 0, double b = 0, double c = 0) {
    return run("method E input a, b, c; output r; proc r = " + expression + "; endp", {a, b, c});
}

// 1 when CONDITION holds for the inputs a, b, c, else 0.
double holds(const std::string &condition, double a = 0, double b = 0, double c = 0) {
    return run("method C input a, b, c; output r; proc if " + condition +
                   " then r = 1; else r = 0; end endp",
               {a, b, c});
}

TEST(Arithmetic, OperatorsAndPrecedence) {
    EXPECT_EQ(value_of("a * 2"), 0);
    EXPECT_EQ(value_of("a * 2", 21), 42);
    EXPECT_EQ(value_of("a - b", 10, 4), 6);
    EXPECT_EQ(value_of("a / b", 1, 4), 0.25);
    EXPECT_EQ(value_of("a % b", 200, 15), 30);  // b per cent of a
    EXPECT_EQ(value_of("a mod b", 7, 3), 1);
    EXPECT_EQ(value_of("a mod b", -7, 3), -1);
    EXPECT_EQ(value_of("a mod b", 5.5, 2), 1.5);
    EXPECT_EQ(value_of("a - b - c", 10, 4, 3), 3);
    EXPECT_EQ(value_of("a + b * c", 1, 2, 3), 7);
    EXPECT_EQ(value_of("(a + b) * c", 1, 2, 3), 9);
    EXPECT_EQ(value_of("a / b * c", 8, 2, 4), 16);
    EXPECT_EQ(value_of("-a * b", 3, 4), -12);
    EXPECT_EQ(value_of("a * -b", 3, 4), -12);
    EXPECT_EQ(value_of("- - a", 5), 5);
    EXPECT_EQ(value_of("2.5 + 007 + a", 0.5), 10);
}

TEST(Arithmetic, RoundCeilAndFloor) {
    EXPECT_EQ(value_of("round(a, b)", 2.5, 0), 3);
    EXPECT_EQ(value_of("round(a, b)", -2.5, 0), -3);
    EXPECT_EQ(value_of("round(a, b)", 2.345, 2), 2.35);
    EXPECT_EQ(value_of("round(a, b)", 1234.5, -2), 1200);
    EXPECT_EQ(value_of("round(a, b)", 1.005, 2), 1.01);
    EXPECT_EQ(value_of("round(a, b)", 2.345, 2.9), 2.35);  // places truncated
    EXPECT_EQ(value_of("ceil(a, b)", 1.231, 2), 1.24);
    EXPECT_EQ(value_of("ceil(a, b)", -1.231, 2), -1.23);
    EXPECT_EQ(value_of("floor(a, b)", 1.231, 2), 1.23);
    EXPECT_EQ(value_of("floor(a, b)", -1.231, 2), -1.24);
    EXPECT_EQ(value_of("ceil(a, -2) + floor(a, -2)", 1234), 2500);
}

TEST(Conditions, Comparisons) {
    EXPECT_EQ(holds("a > b", 2, 1), 1);
    EXPECT_EQ(holds("a > b", 1, 1), 0);
    EXPECT_EQ(holds("a < b", 1, 2), 1);
    EXPECT_EQ(holds("a < b", 2, 2), 0);
    EXPECT_EQ(holds("a >= b", 2, 2), 1);
    EXPECT_EQ(holds("a >= b", 1, 2), 0);
    EXPECT_EQ(holds("a <= b", 2, 2), 1);
    EXPECT_EQ(holds("a <= b", 3, 2), 0);
    EXPECT_EQ(holds("a == b", 2, 2), 1);
    EXPECT_EQ(holds("a == b", 2, 3), 0);
    EXPECT_EQ(holds("a != b", 2, 3), 1);
    EXPECT_EQ(holds("a != b", 3, 3), 0);
    EXPECT_EQ(holds("(a + 1) > b", 1, 1.5), 1);
    EXPECT_EQ(holds("((a > b))", 1, 0), 1);
}

TEST(Conditions, AndOrNot) {
    for (double a : {0.0, 1.0}) {
        for (double b : {0.0, 1.0}) {
            SCOPED_TRACE(testing::Message() << "a " << a << " b " << b);
            EXPECT_EQ(holds("a == 1 and b == 1", a, b), a == 1 && b == 1);
            EXPECT_EQ(holds("a == 1 or b == 1", a, b), a == 1 || b == 1);
            EXPECT_EQ(holds("not a == 1", a), a != 1);
            EXPECT_EQ(holds("not (a == 1 and b == 1)", a, b), !(a == 1 && b == 1));
            EXPECT_EQ(holds("not (a == 1 or b == 1)", a, b), !(a == 1 || b == 1));
            EXPECT_EQ(holds("not not a == 1", a), a == 1);
            // not binds to the comparison: (not a == 1) and b == 1.
            EXPECT_EQ(holds("not a == 1 and b == 1", a, b), a != 1 && b == 1);
        }
    }
    // or is looser than and: a > b or (b > c and c > a).
    EXPECT_EQ(holds("a > b or b > c and c > a", 3, 2, 1), 1);
    EXPECT_EQ(holds("a > b or b > c and c > a", 1, 3, 0.5), 0);
    EXPECT_EQ(holds("a > b or b > c and c > a", 1, 3, 2), 1);
}

TEST(Conditions, IsinTellsWhetherTheVariableWasAssigned) {
    const char *source =
        "method I input a; output r; local x; proc"
        " if a > 0 then x = 5; end"
        " if isin(x) then r = 1; else r = 0; end"
        " if isin(a) then r = r + 10; end"
        " if not isin(x) then r = r + 100; end endp";
    EXPECT_EQ(run(source, {1}), 1);
    EXPECT_EQ(run(source, {0}), 100);
}

TEST(Statements, IfElseWhileAndNesting) {
    const char *sign =
        "method S input a; output r; proc"
        " if a > 0 then r = 1; else if a < 0 then r = -1; else r = 0; end end endp";
    for (double a : {5.0, -3.0, 0.0}) EXPECT_EQ(run(sign, {a}), (a > 0) - (a < 0));

    const char *factorial =
        "method FACT input n; output r; local i; proc"
        " r = 1; i = 2;"
        " while (i <= n) r = r * i; i = i + 1; end endp";
    EXPECT_EQ(run(factorial, {5}), 120);
    EXPECT_EQ(run(factorial, {0}), 1);

    const char *nested =
        "method N input n; output r; local i, j; proc"
        " i = 0; while (i < n) j = 0; while (j < n) r = r + 1; j = j + 1; end i = i + 1; end endp";
    EXPECT_EQ(run(nested, {4}), 16);
}

TEST(Statements, GotoAndLabels) {
    // A loop made of a backward jump, left by a forward one.
    const char *count =
        "method G input n; output r; proc"
        " label again:"
        " if r >= n then goto done end"
        " r = r + 2;"
        " goto again"
        " label done: endp";
    EXPECT_EQ(run(count, {7}), 8);
    // Several pending jumps to one label all land on it.
    const char *skips =
        "method K input a; output r; proc"
        " if a == 1 then goto out end r = r + 1;"
        " if a == 2 then goto out end r = r + 10;"
        " if a == 3 then goto out end r = r + 100;"
        " label out: r = r + 1000; endp";
    EXPECT_EQ(run(skips, {1}), 1000);
    EXPECT_EQ(run(skips, {2}), 1001);
    EXPECT_EQ(run(skips, {3}), 1011);
    EXPECT_EQ(run(skips, {4}), 1111);
}

TEST(Statements, ReturnErrmsgAndMessage) {
    const char *source =
        "method R input a; output r; proc"
        " r = 1;"
        " message r * 100"
        " if a == 1 then return end"
        " r = 2;"
        " if a == 2 then errmsg a end"
        " r = 3; endp";
    EXPECT_EQ(run(source, {1}), 1);
    EXPECT_EQ(run(source, {2}), 2);
    EXPECT_EQ(run(source, {3}), 3);
}

TEST(Declarations, WhatEachClassMeansAtEvaluation) {
    // Inputs in symbol order, constants between them take none.
    EXPECT_EQ(run("method D input a; output r; input b; proc r = a * 10 + 2 + b; endp", {21, 4}), 216);
    // inout, static and local take no input and start at 0 on every call.
    auto formula = compile(
        "method Z input a; output r; inout io; static st; local lo; proc"
        " r = io + st + lo + a; io = 5; st = 6; lo = 7; r = r + io + st + lo; endp");
    ASSERT_EQ(formula.exit_code, 0);
    EXPECT_EQ(evaluate(formula, {1}), 19);
    EXPECT_EQ(evaluate(formula, {1}), 19);
    // With two outputs the caller gets the one that stands last.
    EXPECT_EQ(run("method O input a; output first, second; proc first = 1; second = 2; endp", {0}), 2);
    // Without an output, element 0 stays as the caller left it.
    EXPECT_EQ(run("method N input a; local x; proc x = a; endp", {3}), -999.0);
}

}  // namespace
