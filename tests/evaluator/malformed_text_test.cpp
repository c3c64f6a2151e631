// Texts that break the format: the evaluator loads what stands complete,
// reads and writes nothing outside the texts and its tables, and returns 1.
// Run under AddressSanitizer, these tests also catch any stray access.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>
#include <memory>
#include <string>

#include "formula_builder.h"

namespace {

using namespace formula;
using test_support::formula_builder;
using test_support::formula_texts;

double evaluate_texts(const char *symbols, const char *code, double element0 = -5.0, double input = 21.0) {
    double values[3] = {element0, input, input};
    const char *texts[2] = {symbols, code};
    EXPECT_EQ(Formula(values, texts), 1);
    return values[0];
}

// Exact-length heap copies, so that AddressSanitizer sees a read past the end.
struct exact_text {
    explicit exact_text(const std::string &text) : storage(new char[text.size() + 1]) {
        text.copy(storage.get(), text.size());
        storage[text.size()] = '\0';
    }
    std::unique_ptr<char[]> storage;
    const char *get() const { return storage.get(); }
};

TEST(MalformedTexts, TextsShorterThanTheirHeader) {
    formula_texts calc = test_support::calc_example();
    EXPECT_EQ(evaluate_texts("", ""), -5.0);
    EXPECT_EQ(evaluate_texts("    CA", calc.code.c_str()), -5.0);
    // Code without records: the run stops at once and hands back R's 0.0.
    EXPECT_EQ(evaluate_texts(calc.symbols.c_str(), "    CALC"), 0.0);
    EXPECT_EQ(evaluate_texts(calc.symbols.c_str(), "  "), 0.0);
    EXPECT_EQ(evaluate_texts(nullptr, nullptr), -5.0);
}

TEST(MalformedTexts, CountsLargerThanTheTextLoadOnlyCompleteRecords) {
    formula_texts calc = test_support::calc_example();
    // The code claims 9999 instructions; the six present run as usual.
    std::string code = calc.code;
    code.replace(8, 4, "9999");
    exact_text long_count(code);
    EXPECT_EQ(evaluate_texts(calc.symbols.c_str(), long_count.get()), 42.0);
    // The symbol text claims 50 symbols and holds 3.
    std::string symbols = calc.symbols;
    symbols.replace(8, 4, "  50");
    exact_text many_symbols(symbols);
    EXPECT_EQ(evaluate_texts(many_symbols.get(), calc.code.c_str()), 42.0);
    // A text cut inside its last record drops that record: without the
    // constant 2, A * 0.0 gives 0.
    exact_text cut_symbols(calc.symbols.substr(0, calc.symbols.size() - 3));
    EXPECT_EQ(evaluate_texts(cut_symbols.get(), calc.code.c_str()), 0.0);
    // A code text cut before STOP runs past its end and stops there.
    exact_text cut_code(calc.code.substr(0, calc.code.size() - 2));
    EXPECT_EQ(evaluate_texts(calc.symbols.c_str(), cut_code.get()), 42.0);
    // A negative count loads no instruction (R's 0.0 is handed back) and no symbol.
    std::string negative = calc.code;
    negative.replace(8, 4, "  -6");
    EXPECT_EQ(evaluate_texts(calc.symbols.c_str(), negative.c_str()), 0.0);
    negative = calc.symbols;
    negative.replace(8, 4, "  -3");
    EXPECT_EQ(evaluate_texts(negative.c_str(), calc.code.c_str()), -5.0);
}

TEST(MalformedTexts, HeaderlessTextsAreReadAsTheyStand) {
    // Without a header, positions 8-11 of the first records are taken as the
    // count; the result is meaningless but the call stays inside the texts.
    formula_texts calc = test_support::calc_example();
    exact_text symbols(calc.symbols.substr(12));
    exact_text code(calc.code.substr(12));
    evaluate_texts(symbols.get(), code.get());
}

TEST(MalformedTexts, MissingSymbolsPushZeroAndTakeNoAssignment) {
    formula_builder f;
    int r = f.output("R");
    int three = f.constant("3");
    f.operand(three);
    f.operand(57);  // no such symbol: 0.0
    f.op(PLUS);
    f.assign_to(r);
    f.operand(three);
    f.assign_to(99);  // stores nothing
    f.operand(three);
    f.assign_to(0);
    f.operand(three);
    f.assign_to(-4);
    f.operand(r);
    f.reference(77);
    f.op(LOGISIN);  // no such symbol: 0.0
    f.op(PLUS);
    f.reference(-1);
    f.op(LOGISIN);
    f.op(PLUS);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.build().evaluate(), 3.0);
}

// Operando indices that name no symbol, for small tables (held inside the
// engine, whose storage a previous call filled with nonzero constants) and
// for large ones (on the heap): each pushes 0.0.
TEST(MalformedTexts, MissingSymbolsPushZeroForEveryTableSize) {
    formula_builder full;
    int full_output = full.output("R");
    for (int i = 2; i <= 64; ++i) full.constant(std::to_string(i));
    full.operand(64);
    full.assign_to(full_output);
    full.op(STOP);
    const formula_texts filled = full.build();
    for (int symbols : {2, 3, 63, 64, 65, 100}) {
        formula_builder f;
        int r = f.output("R");
        int seven = f.constant("7");
        for (int i = 3; i <= symbols; ++i) f.constant(std::to_string(1000 + i));
        f.operand(seven);
        for (int index : {0, symbols + 1, 50, 64, 65, 66, 101, 9999, -1, -999}) {
            if (index >= 1 && index <= symbols) continue;
            f.operand(index);
            f.op(PLUS);
        }
        f.assign_to(r);
        f.op(STOP);
        EXPECT_EQ(filled.evaluate(), 64.0);
        EXPECT_EQ(f.build().evaluate(), 7.0) << symbols << " symbols";
    }
}

// "Riferimento i, ASSIGN" with an i that names no symbol stores nothing, not
// even into entry 0, which every unknown Operando index reads.
TEST(MalformedTexts, AssignmentsToIndicesThatNameNoSymbolStoreNothing) {
    for (int symbols : {2, 65}) {
        formula_builder f;
        int r = f.output("R");
        int seven = f.constant("7");
        for (int i = 3; i <= symbols; ++i) f.constant("1");
        for (int index : {0, symbols + 1, -1, 9999}) {
            f.operand(seven);
            f.assign_to(index);
        }
        f.operand(seven);
        f.operand(0);
        f.op(PLUS);
        f.operand(symbols + 1);
        f.op(PLUS);
        f.assign_to(r);
        f.op(STOP);
        EXPECT_EQ(f.build().evaluate(), 7.0) << symbols << " symbols";
    }
}

TEST(MalformedTexts, JumpsOutOfTheCodeEndAsStop) {
    for (int target : {0, -3, 8, 9999}) {
        formula_builder f;
        int r = f.output("R");
        int one = f.constant("1");
        int two = f.constant("2");
        f.operand(one);
        f.assign_to(r);
        f.reference(target);
        f.op(BR);
        f.operand(two);
        f.assign_to(r);
        f.op(STOP);
        EXPECT_EQ(f.build().evaluate(), 1.0) << "target " << target;
    }
    // Addresses computed at run time, truncated: NaN and values beyond the
    // 32-bit range truncate to INT32_MIN, which names no instruction.
    for (double target : {0.5, -0.9, 11.0, 80.0, 1e10, -1e10, static_cast<double>(NAN), static_cast<double>(INFINITY)}) {
        formula_builder f;
        int t = f.input("T");
        int r = f.output("R");
        int one = f.constant("1");
        int two = f.constant("2");
        int zero = f.constant("0");
        f.operand(one);
        f.assign_to(r);
        f.operand(zero);
        f.operand(t);
        f.op(BRF);
        f.operand(two);
        f.assign_to(r);
        f.op(STOP);
        EXPECT_EQ(f.build().evaluate({target}), 1.0) << "target " << target;
    }
}

TEST(MalformedTexts, CodeWithoutStopEndsAfterItsLastInstruction) {
    // R = 1, a jump out of the code or not, padding, and R = 2 as the last of
    // `length` instructions; no STOP anywhere. Short and long code take
    // different ways to its end.
    for (int length : {600, 8, 512, 513}) {
        for (bool jump_out : {false, true}) {
            formula_builder f;
            int r = f.output("R");
            int one = f.constant("1");
            int two = f.constant("2");
            f.operand(one);
            f.assign_to(r);
            if (jump_out) {
                f.reference(9999);
                f.op(BR);
            }
            while (f.next_address() <= length - 3) f.op(INF);
            f.operand(two);
            f.assign_to(r);
            EXPECT_EQ(f.build().evaluate(), jump_out ? 1.0 : 2.0) << length << " instructions";
        }
    }
}

TEST(MalformedTexts, PopsFromAnEmptyStackYieldZero) {
    formula_builder f;
    int r = f.output("R");
    int seven = f.constant("7");
    f.op(PLUS);
    f.op(MULT);
    f.op(SIGN);
    f.op(ASSIGN);
    f.op(BR);  // empty: to 0, which ends the run as STOP does
    f.operand(seven);
    f.assign_to(r);
    f.op(STOP);
    // R is handed back at its starting 0.0; 7 would mean BR went on.
    EXPECT_EQ(f.build().evaluate({}, 3.0), 0.0);

    formula_builder g;
    int out = g.output("R");
    int eight = g.constant("8");
    g.op(MINUS);    // 0 - 0 pushed
    g.operand(eight);
    g.op(PLUS);     // 0 + 8
    g.op(LOGISIN);  // index 8 names nothing: 0
    g.op(PLUS);     // 0 + the 0.0 of the empty stack
    g.reference(out);
    g.op(ASSIGN);   // R = 0
    g.operand(eight);
    g.reference(out);
    g.op(ASSIGN);
    g.op(STOP);
    EXPECT_EQ(g.build().evaluate(), 8.0);
}

TEST(MalformedTexts, OddSymbolFieldsConvertLikeTheCLibrary) {
    formula_texts texts;
    append_header(texts.symbols, "ODD", 4);
    append_symbol_record(texts.symbols, tipo_variable, scope_output, "R");
    append_symbol_record(texts.symbols, tipo_constant, scope_input, "12abc");  // 12
    append_symbol_record(texts.symbols, tipo_constant, scope_input, "x");      // 0
    append_symbol_record(texts.symbols, 7, 9, "Q");  // an unknown tipo: a variable that takes no input
    append_header(texts.code, "ODD", 9);
    append_instruction_record(texts.code, Operando, 2);
    append_instruction_record(texts.code, Operando, 3);
    append_instruction_record(texts.code, Operatore, PLUS);
    append_instruction_record(texts.code, Operando, 4);
    append_instruction_record(texts.code, Operatore, PLUS);
    append_instruction_record(texts.code, Riferimento, 1);
    append_instruction_record(texts.code, Operatore, ASSIGN);
    append_instruction_record(texts.code, Operatore, STOP);
    append_instruction_record(texts.code, Operatore, STOP);
    EXPECT_EQ(texts.evaluate({50.0}), 12.0);
}

// Every 4-character value field reads as atoi reads it: R = the field's value.
TEST(MalformedTexts, ValueFieldsConvertLikeAtoi) {
    const std::string alphabet = " +-0123456789a\t";
    std::mt19937 random(7);
    std::vector<std::string> fields = {"   1", "  99", "9999", "0000", "    ", " +12", "  -1", "-999", "12 3",
                                       " 1a ", "\t 12", "1   ", " 0 7", "+-12", "--12", "  +0"};
    for (int n = 0; n < 3000; ++n) {
        std::string field;
        for (int k = 0; k < 4; ++k) field += alphabet[random() % alphabet.size()];
        fields.push_back(field);
    }
    std::string symbols;
    append_header(symbols, "ATOI", 1);
    append_symbol_record(symbols, tipo_variable, scope_output, "R");
    for (const std::string &field : fields) {
        std::string code = "    ATOI   4" "3" + field + "3   1" "1   1" "1  99";
        double values[1] = {-0.5};
        const char *texts[2] = {symbols.c_str(), code.c_str()};
        Formula(values, texts);
        ASSERT_EQ(values[0], std::atoi(field.c_str())) << '"' << field << '"';
    }
}

TEST(MalformedTexts, NullValueArrayIsRefusedQuietly) {
    formula_texts calc = test_support::calc_example();
    const char *texts[2] = {calc.symbols.c_str(), calc.code.c_str()};
    EXPECT_EQ(Formula(nullptr, texts), 1);
    double values[2] = {3.0, 4.0};
    EXPECT_EQ(Formula(values, nullptr), 1);
    EXPECT_EQ(values[0], 3.0);
}

}  // namespace
