// The benchmark's larger formula and its muparser equivalent.
//
//   R = 0; K = 0
//   while (K < 10) { R = R + E(A, B, K); K = K + 1 }
//
// with E(a, b, k) = sum over j = 1 .. 16 of ((a * j + b * k) * 0.5 - j) / (k + j),
// about 300 instructions. muparser has no loop, so its equivalent evaluates E
// from one expression ten times with k = 0 .. 9 and sums the results.
#pragma once

#include <string>

#include "formula_builder.h"

namespace bench_support {

constexpr int loop_passes = 10;
constexpr int terms = 16;

inline test_support::formula_texts loop_formula() {
    using namespace formula;
    test_support::formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int r = f.output("R");
    int k = f.variable(scope_local, "K");
    int one = f.constant("1");
    int passes = f.constant(std::to_string(loop_passes));
    int half = f.constant("0.5");
    int j_constants[terms + 1];
    for (int j = 1; j <= terms; ++j) j_constants[j] = f.constant(std::to_string(j));

    int top = f.operand(k);
    f.operand(passes);
    f.op(LLT);
    int exit = f.reference(0);
    f.op(BRF);
    f.operand(r);
    for (int j = 1; j <= terms; ++j) {
        f.operand(a);
        f.operand(j_constants[j]);
        f.op(MULT);
        f.operand(b);
        f.operand(k);
        f.op(MULT);
        f.op(PLUS);
        f.operand(half);
        f.op(MULT);
        f.operand(j_constants[j]);
        f.op(MINUS);
        f.operand(k);
        f.operand(j_constants[j]);
        f.op(PLUS);
        f.op(DIV);
        f.op(PLUS);
    }
    f.assign_to(r);
    f.operand(k);
    f.operand(one);
    f.op(PLUS);
    f.assign_to(k);
    f.reference(top);
    f.op(BR);
    f.patch(exit, f.next_address());
    f.op(STOP);
    return f.build("LOOP");
}

// E(a, b, k) in muparser's syntax.
inline std::string loop_body_expression() {
    std::string text;
    for (int j = 1; j <= terms; ++j) {
        std::string js = std::to_string(j);
        if (j > 1) text += "+";
        text += "((a*" + js + "+b*k)*0.5-" + js + ")/(k+" + js + ")";
    }
    return text;
}

}  // namespace bench_support
