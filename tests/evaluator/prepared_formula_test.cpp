// ZERIZI_PREPARED: every evaluation of a prepared formula equals a fresh call
// of Formula, whatever earlier evaluations did, on any thread.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "evaluator/engine.h"
#include "evaluator/register_code.h"
#include "formula_builder.h"
#include "zerizi_prepared.h"

namespace {

using namespace formula;
using test_support::formula_builder;
using test_support::formula_texts;

// Element 0 after a fresh Formula call and after a prepared evaluation, with
// element 0 starting at -1.0 (a formula without output leaves it).
double fresh(const formula_texts &texts, const std::vector<double> &inputs) {
    return texts.evaluate(inputs, -1.0);
}
double prepared(zerizi::prepared_formula &formula, const std::vector<double> &inputs) {
    std::vector<double> values{-1.0};
    values.insert(values.end(), inputs.begin(), inputs.end());
    formula.evaluate(values.data());
    return values[0];
}
bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// R = S + A; S = R; C = C + 1; I = I + C; if A < 10 then T = 1; end;
// R = R + C * 1000 + I * 100 + isin(T) * 10: S is static, I inout, T local,
// C the constant 2 (assigned to by the code).
formula_texts accumulating_formula() {
    formula_builder f;
    int a = f.input("A");
    int s = f.variable(scope_static, "S");
    int i = f.variable(scope_inout, "I");
    int t = f.variable(scope_local, "T");
    int r = f.output("R");
    int c = f.constant("2");
    int one = f.constant("1");
    int ten = f.constant("10");
    int hundred = f.constant("100");
    int thousand = f.constant("1000");
    f.operand(s), f.operand(a), f.op(PLUS), f.assign_to(r);
    f.operand(r), f.assign_to(s);
    f.operand(c), f.operand(one), f.op(PLUS), f.assign_to(c);
    f.operand(i), f.operand(c), f.op(PLUS), f.assign_to(i);
    // T is assigned only when A < 10, so isin(T) tells whether this evaluation did.
    f.operand(a), f.operand(ten), f.op(LLT);
    f.reference(0);
    const int branch = f.op(BRF);
    f.operand(one), f.assign_to(t);
    f.patch(branch - 1, f.next_address());
    f.operand(r), f.operand(c), f.operand(thousand), f.op(MULT), f.op(PLUS);
    f.operand(i), f.operand(hundred), f.op(MULT), f.op(PLUS);
    f.reference(t), f.op(LOGISIN), f.operand(ten), f.op(MULT), f.op(PLUS);
    f.assign_to(r);
    f.op(STOP);
    return f.build("ACCUM");
}

TEST(PreparedFormula, EveryEvaluationStartsOverAsAFreshCall) {
    const formula_texts texts = accumulating_formula();
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    // S, I and T at 0.0 and the constant at 2 again every time:
    // 7 + 3 * 1000 + 3 * 100 + isin(T) * 10.
    EXPECT_EQ(prepared(formula, {7.0}), 3317.0);
    EXPECT_EQ(prepared(formula, {7.0}), 3317.0);
    // No flag of the earlier evaluation: T not assigned this time.
    EXPECT_EQ(prepared(formula, {20.0}), 3320.0);
    EXPECT_EQ(prepared(formula, {3.0}), 3313.0);
    for (double a : {7.0, 20.0, 3.0, -0.0, 1e300}) EXPECT_TRUE(same_bits(prepared(formula, {a}), fresh(texts, {a})));
}

// Division messages shown and element 0, for a fresh call and for an
// evaluation of the prepared formula, which must agree; returns the zero
// divisors the evaluation reported.
int expect_same_as_fresh(zerizi::prepared_formula &formula, const formula_texts &texts,
                         const std::vector<double> &inputs) {
    std::vector<double> values{-1.0};
    values.insert(values.end(), inputs.begin(), inputs.end());
    testing::internal::CaptureStderr();
    const int zero_divisors = formula.evaluate(values.data());
    const std::string shown = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    const double expected = fresh(texts, inputs);
    EXPECT_EQ(shown, testing::internal::GetCapturedStderr()) << "inputs " << inputs[0] << ", " << inputs[1];
    EXPECT_TRUE(same_bits(values[0], expected)) << values[0] << " against " << expected;
    EXPECT_EQ(zero_divisors * std::string("Errore: Divisione per zero\n").size(), shown.size());
    return zero_divisors;
}

TEST(PreparedFormula, JumpsAndDivisionsStartOverToo) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the division message is a modal MessageBoxA";
#endif
    // R = 5 + A / B, then a jump over R = 99 when B is 0.
    formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int r = f.output("R");
    int five = f.constant("5");
    int ninety_nine = f.constant("99");
    f.operand(five), f.operand(a), f.operand(b), f.op(DIV), f.op(PLUS), f.assign_to(r);
    f.operand(b);
    f.reference(0);
    const int branch = f.op(BRF);
    f.operand(ninety_nine), f.assign_to(r);
    f.patch(branch - 1, f.next_address());
    f.op(STOP);
    const formula_texts texts = f.build();
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    for (const std::vector<double> &inputs : {std::vector<double>{7.0, 0.0}, {7.0, 2.0}, {7.0, -0.0}, {1.0, 4.0}})
        EXPECT_EQ(expect_same_as_fresh(formula, texts, inputs), inputs[1] == 0.0 ? 1 : 0);
}

TEST(PreparedFormula, CodeWithoutJumpsAgreesWithFreshCalls) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the division message is a modal MessageBoxA";
#endif
    // X (inout) is pushed before it is assigned, and that push keeps the
    // value X had then; a zero B shows the message and drops A / B with its
    // operands; MODOPER and ROUND call out; isin(X) - isin(T) is 1; K, a
    // constant, is assigned to.
    formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int x = f.variable(scope_inout, "X");
    int t = f.variable(scope_local, "T");
    int r = f.output("R");
    int k = f.constant("7");
    int two = f.constant("2");
    f.operand(x), f.operand(a), f.assign_to(x), f.operand(x), f.op(PLUS);
    f.operand(a), f.operand(b), f.op(DIV), f.op(PLUS);
    f.operand(a), f.operand(k), f.op(MODOPER), f.op(PLUS), f.operand(two), f.op(ROUND), f.assign_to(r);
    f.reference(x), f.op(LOGISIN), f.reference(t), f.op(LOGISIN), f.op(MINUS), f.operand(r), f.op(PLUS), f.assign_to(r);
    f.operand(r), f.assign_to(k), f.operand(k), f.operand(r), f.op(PLUS), f.assign_to(r);
    f.op(STOP);
    const formula_texts straight = f.build();
    zerizi::prepared_formula formula(straight.symbols.c_str(), straight.code.c_str());
    EXPECT_EQ(prepared(formula, {10.0, 4.0}), 2 * (10.0 + 10.0 / 4.0 + 3.0 + 1.0));
    for (const std::vector<double> &inputs :
         {std::vector<double>{10.0, 4.0}, {10.0, 0.0}, {-3.3, -0.0}, {1e300, 1e-300}, {0.125, 3.0}})
        expect_same_as_fresh(formula, straight, inputs);

    // An ASSIGN whose index is an input stores into whichever symbol A names.
    formula_builder g;
    a = g.input("A");
    r = g.output("R");
    int s = g.variable(scope_static, "S");
    k = g.constant("5");
    g.operand(k), g.operand(a), g.op(ASSIGN), g.operand(s), g.assign_to(r), g.op(STOP);
    const formula_texts indexed = g.build();
    zerizi::prepared_formula by_input(indexed.symbols.c_str(), indexed.code.c_str());
    for (double input : {3.0, 2.0, 3.9, 1.0}) {
        EXPECT_EQ(prepared(by_input, {input}), input >= 3.0 ? 5.0 : 0.0);
        expect_same_as_fresh(by_input, indexed, {input, 0.0});
    }
}

// The texts' code translated into steps on registers, as FormulaPrepare translates it.
struct translated_code {
    explicit translated_code(const formula_texts &texts) {
        const char *both[2] = {texts.symbols.c_str(), texts.code.c_str()};
        loaded.load_formula(both);
        translated = code.translate(loaded);
    }
    ~translated_code() { loaded.release_formula(); }
    zerizi::engine loaded;
    zerizi::register_code code;
    bool translated;
};

// K = 0; X = A; Y = B; while K < 3: T = X; X = Y; Y = T (the paths into
// the loop's head swap two registers); if A < 0 then F = 1 end (F's flag
// differs where the paths join); R = R + X / (K - B), a zero divisor when B
// is 0, 1 or 2; K = K + 1; then R = R + X * 1000 + Y * 10 + isin(F).
formula_texts swapping_loop() {
    formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int r = f.output("R");
    int k = f.variable(scope_local, "K");
    int x = f.variable(scope_local, "X");
    int y = f.variable(scope_local, "Y");
    int t = f.variable(scope_local, "T");
    int flag = f.variable(scope_local, "F");
    int zero = f.constant("0");
    int one = f.constant("1");
    int three = f.constant("3");
    int thousand = f.constant("1000");
    int ten = f.constant("10");
    f.operand(zero), f.assign_to(k), f.operand(a), f.assign_to(x), f.operand(b), f.assign_to(y);
    const int top = f.operand(k);
    f.operand(three), f.op(LLT);
    const int exit = f.reference(0);
    f.op(BRF);
    f.operand(x), f.assign_to(t), f.operand(y), f.assign_to(x), f.operand(t), f.assign_to(y);
    f.operand(a), f.operand(zero), f.op(LLT);
    const int skip = f.reference(0);
    f.op(BRF);
    f.operand(one), f.assign_to(flag);
    f.patch(skip, f.next_address());
    f.operand(r), f.operand(x), f.operand(k), f.operand(b), f.op(MINUS), f.op(DIV), f.op(PLUS), f.assign_to(r);
    f.operand(k), f.operand(one), f.op(PLUS), f.assign_to(k);
    f.reference(top), f.op(BR);
    f.patch(exit, f.next_address());
    f.operand(r), f.operand(x), f.operand(thousand), f.op(MULT), f.op(PLUS), f.operand(y), f.operand(ten), f.op(MULT);
    f.op(PLUS), f.reference(flag), f.op(LOGISIN), f.op(PLUS), f.assign_to(r);
    f.op(STOP);
    return f.build("SWAP");
}

TEST(PreparedFormula, BranchesAndLoopsRunOnRegistersAsFreshCalls) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the division message is a modal MessageBoxA";
#endif
    const formula_texts texts = swapping_loop();
    EXPECT_TRUE(translated_code(texts).translated);
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    // X and Y: (5, 7) -> (7, 5) -> (5, 7) -> (7, 5); R = 7/-7 + 5/-6 + 7/-5, then + 7000 + 50 + isin(F).
    EXPECT_EQ(prepared(formula, {5.0, 7.0}), 7.0 / -7.0 + 5.0 / -6.0 + 7.0 / -5.0 + 7000.0 + 50.0);
    // Zero divisors inside the loop (B = 1: at K = 1) and none; isin(F) set and not, in turn.
    for (const std::vector<double> &inputs : {std::vector<double>{5.0, 1.0}, {-2.5, 7.0}, {-3.0, 2.0}, {4.0, 0.0},
                                              {-0.0, -0.0}, {5.0, 7.0}, {1e300, 0.5}})
        EXPECT_EQ(expect_same_as_fresh(formula, texts, inputs), inputs[1] == 0.0 || inputs[1] == 1.0 || inputs[1] == 2.0);

    // A division inside a branch: R = A / B only when A > 0.
    formula_builder g;
    int a = g.input("A");
    int b = g.input("B");
    int r = g.output("R");
    int zero = g.constant("0");
    g.operand(a), g.operand(zero), g.op(LGT);
    const int skip = g.reference(0);
    g.op(BRF);
    g.operand(a), g.operand(b), g.op(DIV), g.assign_to(r);
    g.patch(skip, g.next_address());
    g.op(STOP);
    const formula_texts branch = g.build();
    EXPECT_TRUE(translated_code(branch).translated);
    zerizi::prepared_formula divides(branch.symbols.c_str(), branch.code.c_str());
    for (const std::vector<double> &inputs : {std::vector<double>{3.0, 0.0}, {-3.0, 0.0}, {3.0, 4.0}, {3.0, -0.0}})
        EXPECT_EQ(expect_same_as_fresh(divides, branch, inputs), inputs[0] > 0.0 && inputs[1] == 0.0);
}

TEST(PreparedFormula, ChainedStepsAndTheValuesCarriedRoundALoopAgreeWithFreshCalls) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the division message is a modal MessageBoxA";
#endif
    // R = (A + B) / (C - D) + A / C * (A / B - C * D): every divisor of the
    // chains of two and three operations may be zero.
    formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int c = f.input("C");
    int d = f.input("D");
    int r = f.output("R");
    f.operand(a), f.operand(b), f.op(PLUS), f.operand(c), f.operand(d), f.op(MINUS), f.op(DIV);
    f.operand(a), f.operand(c), f.op(DIV), f.operand(a), f.operand(b), f.op(DIV), f.operand(c), f.operand(d);
    f.op(MULT), f.op(MINUS), f.op(MULT), f.op(PLUS), f.assign_to(r), f.op(STOP);
    const formula_texts chains = f.build();
    zerizi::prepared_formula formula(chains.symbols.c_str(), chains.code.c_str());
    for (const std::vector<double> &inputs : {std::vector<double>{3.0, 4.0, 5.0, 2.0}, {3.0, 0.0, 5.0, 2.0},
                                              {3.0, 4.0, 0.0, 2.0}, {3.0, 4.0, 2.0, 2.0}, {-0.0, 1.0, 1.0, 1.0}})
        EXPECT_EQ(expect_same_as_fresh(formula, chains, inputs),
                  inputs[1] == 0.0 || inputs[2] == 0.0 || inputs[2] == inputs[3]);

    // K = 0; top: S = X; U = Y + A; if not K < 2 goto out; T = X + A;
    // R = R + S * 2; X = T; Y = U; K = K + 1; goto top;
    // out: R = R * 10 + X + S + Y * 100: the old X (as S) is wanted after
    // T's value is computed, and the old Y on the way out after U's is.
    formula_builder g;
    a = g.input("A");
    r = g.output("R");
    int x = g.variable(scope_local, "X");
    int y = g.variable(scope_local, "Y");
    int s = g.variable(scope_local, "S");
    int t = g.variable(scope_local, "T");
    int u = g.variable(scope_local, "U");
    int k = g.variable(scope_local, "K");
    int zero = g.constant("0");
    int one = g.constant("1");
    int two = g.constant("2");
    int ten = g.constant("10");
    int hundred = g.constant("100");
    g.operand(zero), g.assign_to(k);
    const int top = g.operand(x);
    g.assign_to(s), g.operand(y), g.operand(a), g.op(PLUS), g.assign_to(u);
    g.operand(k), g.operand(two), g.op(LLT);
    const int out = g.reference(0);
    g.op(BRF);
    g.operand(x), g.operand(a), g.op(PLUS), g.assign_to(t);
    g.operand(r), g.operand(s), g.operand(two), g.op(MULT), g.op(PLUS), g.assign_to(r);
    g.operand(t), g.assign_to(x), g.operand(u), g.assign_to(y);
    g.operand(k), g.operand(one), g.op(PLUS), g.assign_to(k), g.reference(top), g.op(BR);
    g.patch(out, g.next_address());
    g.operand(r), g.operand(ten), g.op(MULT), g.operand(x), g.op(PLUS), g.operand(s), g.op(PLUS);
    g.operand(y), g.operand(hundred), g.op(MULT), g.op(PLUS), g.assign_to(r), g.op(STOP);
    const formula_texts loop = g.build();
    EXPECT_TRUE(translated_code(loop).translated);
    zerizi::prepared_formula carried(loop.symbols.c_str(), loop.code.c_str());
    // X and Y end at 2A, S at 2A, R at 2A before the way out.
    EXPECT_EQ(prepared(carried, {5.0}), 10.0 * 10 + 10.0 + 10.0 + 10.0 * 100);
    for (double input : {5.0, -1.5, 0.0}) expect_same_as_fresh(carried, loop, {input, 0.0});
}

TEST(PreparedFormula, CodeWhoseStackDiffersWhereItJoinsStaysOnTheEngine) {
    // A; BRF to L; 5; L: 7 PLUS, R = ...: at L the stack holds 5 or nothing,
    // so R is 12 or 7 (a pop from an empty stack gives 0).
    formula_builder f;
    int a = f.input("A");
    int r = f.output("R");
    int five = f.constant("5");
    int seven = f.constant("7");
    f.operand(a);
    const int target = f.reference(0);
    f.op(BRF);
    f.operand(five);
    f.patch(target, f.operand(seven));
    f.op(PLUS), f.assign_to(r), f.op(STOP);
    const formula_texts texts = f.build();
    EXPECT_FALSE(translated_code(texts).translated);
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    for (double input : {1.0, 0.0, 2.0, -0.0}) {
        EXPECT_EQ(prepared(formula, {input}), input != 0.0 ? 12.0 : 7.0);
        EXPECT_TRUE(same_bits(prepared(formula, {input}), fresh(texts, {input})));
    }
}

TEST(PreparedFormula, StepsOnRegistersAskTheBudgetOnlyAtJumps) {
    struct asked {
        int times = 0;
        int stop_at;
    };
    const auto go_on = [](void *context) {
        auto *count = static_cast<asked *>(context);
        return ++count->times < count->stop_at;
    };
    const auto give_up = [](zerizi::register_code &, double *) { return -100; };

    // R = R + 1 for ever: 6 instructions a pass, asked every 10.
    formula_builder f;
    int r = f.output("R");
    int one = f.constant("1");
    const int top = f.operand(r);
    f.operand(one), f.op(PLUS), f.assign_to(r), f.reference(top), f.op(BR);
    const translated_code endless(f.build());
    ASSERT_TRUE(endless.translated);
    asked stopping{0, 3};
    double values[1] = {-1.0};
    EXPECT_EQ(const_cast<zerizi::register_code &>(endless.code).run(values, zerizi::run_budget{10, go_on, &stopping}, give_up),
              zerizi::stopped_by_budget);
    EXPECT_EQ(stopping.times, 3);
    EXPECT_EQ(values[0], -1.0);  // nothing handed back

    // Code without jumps never asks, however small the budget.
    translated_code straight(test_support::calc_example());
    ASSERT_TRUE(straight.translated);
    asked never{0, 1};
    double calc[2] = {-1.0, 21.0};
    EXPECT_EQ(straight.code.run(calc, zerizi::run_budget{1, go_on, &never}, give_up), 0);
    EXPECT_EQ(never.times, 0);
    EXPECT_EQ(calc[0], 42.0);
}

TEST(PreparedFormula, AnAssignReachedByAJumpStartsOverToo) {
    // R = K + A; then a jump straight onto the ASSIGN of "R = ..." with K's
    // index on the stack, so that it stores A into the constant K: K must be
    // back at 2 for the next evaluation although no Riferimento before an
    // ASSIGN names it.
    formula_builder f;
    int a = f.input("A");
    int r = f.output("R");
    int k = f.constant("2");
    f.operand(k), f.operand(a), f.op(PLUS), f.assign_to(r);
    f.operand(a), f.reference(k);
    const int target = f.reference(0);
    f.op(BR);
    f.reference(r);
    f.patch(target, f.op(ASSIGN));
    f.op(STOP);
    const formula_texts texts = f.build();
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    for (double input : {5.0, 5.0, -1.0}) EXPECT_EQ(prepared(formula, {input}), 2.0 + input);
}

TEST(PreparedFormula, AnAssignmentLeavesWhatLiesBelowOnTheStack) {
    // 2 stays on the stack below R = A; an ASSIGN run twice would take it as
    // the index of K and store into K what an empty stack yields.
    formula_builder f;
    int a = f.input("A");
    int k = f.constant("3");
    int r = f.output("R");
    f.reference(k);
    f.operand(a), f.assign_to(r);
    f.operand(k), f.operand(r), f.op(PLUS), f.assign_to(r);
    f.op(STOP);
    const formula_texts texts = f.build();
    zerizi::prepared_formula formula(texts.symbols.c_str(), texts.code.c_str());
    for (double input : {4.0, 4.0}) EXPECT_EQ(prepared(formula, {input}), 3.0 + input);
}

TEST(PreparedFormula, TheTextsMayBeFreedOrRewrittenAfterPrepare) {
    const formula_texts original = accumulating_formula();
    auto *symbols = new std::string(original.symbols);
    auto *code = new std::string(original.code);
    zerizi::prepared_formula formula(symbols->c_str(), code->c_str());
    std::memset(symbols->data(), '9', symbols->size());
    std::memset(code->data(), '1', code->size());
    EXPECT_TRUE(same_bits(prepared(formula, {7.0}), fresh(original, {7.0})));
    delete symbols;
    delete code;
    EXPECT_TRUE(same_bits(prepared(formula, {20.0}), fresh(original, {20.0})));
}

TEST(PreparedFormula, OneHandleInTurnAndEightThreadsWithTheirOwn) {
    const formula_texts texts = accumulating_formula();
    std::vector<double> expected;
    for (int k = 0; k < 40; ++k) expected.push_back(fresh(texts, {k * 0.75}));
    const auto evaluate_all = [&](zerizi::prepared_formula &formula, int rounds) {
        bool same = true;
        for (int round = 0; round < rounds; ++round)
            for (int k = 0; k < 40; ++k) same &= same_bits(prepared(formula, {k * 0.75}), expected[k]);
        return same;
    };

    zerizi::prepared_formula shared(texts.symbols.c_str(), texts.code.c_str());
    bool first_same = false, second_same = false;
    std::thread first([&] { first_same = evaluate_all(shared, 50); });
    first.join();
    std::thread second([&] { second_same = evaluate_all(shared, 50); });
    second.join();
    EXPECT_TRUE(first_same);
    EXPECT_TRUE(second_same);

    std::vector<char> same(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            zerizi::prepared_formula own(texts.symbols.c_str(), texts.code.c_str());
            same[t] = evaluate_all(own, 200);
        });
    }
    for (std::thread &thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) EXPECT_TRUE(same[t]) << "thread " << t;
}

TEST(PreparedFormula, NullArgumentsAreRefusedOrIgnored) {
    EXPECT_EQ(FormulaPrepare(nullptr), nullptr);
    const char *empty[2] = {nullptr, nullptr};
    PreparedFormula *formula = FormulaPrepare(empty);
    ASSERT_NE(formula, nullptr);
    double values[1] = {5.0};
    EXPECT_EQ(FormulaEvaluate(formula, values), 0);
    EXPECT_EQ(values[0], 5.0);
    EXPECT_EQ(FormulaEvaluate(formula, nullptr), 0);
    EXPECT_EQ(FormulaEvaluate(nullptr, values), 0);
    FormulaRelease(formula);
    FormulaRelease(nullptr);
}

}  // namespace
