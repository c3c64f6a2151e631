// Token streams from the scanner, driven in process over a text in memory.
#include "compiler/compile_run.h"
#include "compiler/console_output.h"
#include "compiler/input_source.h"
#include "compiler/scanner.h"
#include "in_process_compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace formcomp;
using formcomp_test::compile_in_process;
using formcomp_test::in_process_run;

struct token {
    int code;
    std::string text;  // token_text after NAME and NUMBER, else empty
    int line;          // current_line when the token was returned
    bool operator==(const token &) const = default;
};

std::ostream &operator<<(std::ostream &out, const token &t) {
    return out << "{" << t.code << " '" << t.text << "' line " << t.line << "}";
}

// Every token up to the end of the input, read in pieces of `piece_size`.
std::vector<token> tokens_of(std::string_view source, std::size_t piece_size = 8192) {
    reset_compile_state();
    memory_input_source input(source, piece_size);
    std::string output;
    set_scanner_input(&input);
    capture_console(&output, nullptr);
    std::vector<token> tokens;
    for (int code; (code = next_token()) != 0;) {
        bool has_text = code == NAME || code == NUMBER;
        tokens.push_back({code, has_text ? token_text() : "", current_line()});
    }
    reset_compile_state();
    return tokens;
}

std::vector<int> codes_of(std::string_view source) {
    std::vector<int> codes;
    for (const token &t : tokens_of(source)) codes.push_back(t.code);
    return codes;
}

TEST(Scanner, KeywordsAreWholeLowerCaseLexemes) {
    EXPECT_EQ(codes_of("method Method METHOD"), (std::vector<int>{METHOD, NAME, NAME}));
    EXPECT_EQ(codes_of("if( ifx endp endpoint end input1 input"),
              (std::vector<int>{IF, '(', NAME, ENDP, NAME, END, NAME, INPUT}));
    EXPECT_EQ(codes_of("input output inout local static if then else while goto label method proc "
                       "endp end message errmsg return mod and or not isin round ceil floor"),
              (std::vector<int>{INPUT, OUTPUT, INOUT, LOCAL, STATIC, IF, THEN, ELSE, WHILE, GOTO,
                                LABEL, METHOD, PROC, ENDP, END, MESSAGE, ERRMSG, RETURN, MOD, AND,
                                OR, NOT, ISIN, ROUND, CEIL, FLOOR}));
    EXPECT_EQ(tokens_of("_x9 a_B")[0], (token{NAME, "_x9", 1}));
}

TEST(Scanner, OperatorsTakeTheLongestMatch) {
    EXPECT_EQ(codes_of("a<=b<>c"), (std::vector<int>{NAME, LE, NAME, LT, GT, NAME}));
    EXPECT_EQ(codes_of("=< == != >= > < ! ="), (std::vector<int>{'=', LT, EQ, NE, GE, GT, LT, '!', '='}));
    EXPECT_EQ(codes_of("%()*+,-/:;"), (std::vector<int>{'%', '(', ')', '*', '+', ',', '-', '/', ':', ';'}));
}

TEST(Scanner, NumbersHaveNoSignExponentOrLeadingPoint) {
    EXPECT_EQ(tokens_of("1.5e3"), (std::vector<token>{{NUMBER, "1.5", 1}, {NAME, "e3", 1}}));
    EXPECT_EQ(tokens_of("-2 007 .5 1."),
              (std::vector<token>{{'-', "", 1}, {NUMBER, "2", 1}, {NUMBER, "007", 1}, {'.', "", 1},
                                  {NUMBER, "5", 1}, {NUMBER, "1", 1}, {'.', "", 1}}));
    EXPECT_EQ(tokens_of("12.50+"), (std::vector<token>{{NUMBER, "12.50", 1}, {'+', "", 1}}));
}

TEST(Scanner, TokenTextHoldsNineteenCharacters) {
    std::string nineteen(19, 'n');
    EXPECT_EQ(tokens_of(nineteen), (std::vector<token>{{NAME, nineteen, 1}}));
}

TEST(Scanner, CommentsAreSkipped) {
    EXPECT_EQ(tokens_of("/* x */y"), (std::vector<token>{{NAME, "y", 1}}));
    EXPECT_EQ(codes_of("/***/a/*/ b */c"), (std::vector<int>{NAME, NAME}));
    EXPECT_EQ(codes_of("/* a /* b */ c */"), (std::vector<int>{NAME, '*', '/'}));
    EXPECT_EQ(codes_of("a /* x"), (std::vector<int>{NAME}));
    EXPECT_EQ(codes_of("/* ** / *x* */ end"), (std::vector<int>{END}));
    EXPECT_EQ(tokens_of("// text /*\nproc"), (std::vector<token>{{PROC, "", 2}}));
    EXPECT_EQ(tokens_of("// one */ // two\n\ninput a;"),
              (std::vector<token>{{INPUT, "", 3}, {NAME, "a", 3}, {';', "", 3}}));
    EXPECT_EQ(codes_of("a // no newline at the end"), (std::vector<int>{NAME}));
}

TEST(Scanner, CountsTheNewlinesOfEveryConsumedLexeme) {
    EXPECT_EQ(tokens_of("a\n\n/* 1\n2\n */ b // c\n\nd"),
              (std::vector<token>{{NAME, "a", 1}, {NAME, "b", 5}, {NAME, "d", 7}}));
    // A token keeps the line it stands on although the scanner has looked past it.
    EXPECT_EQ(tokens_of("abc\nd"), (std::vector<token>{{NAME, "abc", 1}, {NAME, "d", 2}}));
}

TEST(Scanner, BlanksAreSkippedButVerticalTabIsAToken) {
    EXPECT_EQ(codes_of("a\b\b\f\r \t\tb"), (std::vector<int>{NAME, NAME}));
    EXPECT_EQ(codes_of("a\vb"), (std::vector<int>{NAME, '\v', NAME}));
}

TEST(Scanner, BytesAboveAsciiAreCharacterTokens) {
    EXPECT_EQ(codes_of("a\xe9" "b"), (std::vector<int>{NAME, 0xe9, NAME}));
    EXPECT_EQ(codes_of("/* \xe9 */ // \xff\n a"), (std::vector<int>{NAME}));
    // A zero byte outside a comment is the end of the input.
    EXPECT_EQ(codes_of(std::string_view("a\0b", 3)), (std::vector<int>{NAME}));
    EXPECT_EQ(codes_of(std::string_view("/*\0*/b", 6)), (std::vector<int>{NAME}));
}

TEST(Scanner, TextModeInput) {
    // A carriage return before a line feed is dropped, one elsewhere skipped;
    // byte 26 ends the input. Reads of one byte split every pair.
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{8192}}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(tokens_of("a\r\nb\rc\r\r\nd", piece),
                  (std::vector<token>{{NAME, "a", 1}, {NAME, "b", 2}, {NAME, "c", 2}, {NAME, "d", 3}}));
        EXPECT_EQ(codes_of("a b\x1a" "c d"), (std::vector<int>{NAME, NAME}));
    }
}

TEST(Scanner, LexemesAcrossReadsAndBufferRefills) {
    // Names cut by reads of any size still arrive whole, also after the
    // buffer has been refilled many times.
    std::string source;
    for (int i = 0; i < 3000; ++i) source += "name" + std::to_string(i) + " ";
    for (std::size_t piece : {std::size_t{7}, std::size_t{8192}}) {
        std::vector<token> tokens = tokens_of(source, piece);
        ASSERT_EQ(tokens.size(), 3000u);
        EXPECT_EQ(tokens[2999].text, "name2999");
    }
}

const std::string overflow_message =
    "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n";

TEST(Scanner, ALexemeOf16383CharactersOverflowsTheBuffer) {
    const std::string formula = "method F input a; proc ";
    // The longest comment piece that fits: 16382 characters and the '*'
    // that ends it.
    in_process_run fits = compile_in_process(formula + "/*" + std::string(16382, 'x') + "*/ endp");
    EXPECT_EQ(fits.exit_code, 0);
    EXPECT_EQ(fits.standard_error, "");
    in_process_run overflow = compile_in_process(formula + "/*" + std::string(16383, 'x') + "*/ endp");
    EXPECT_EQ(overflow.exit_code, 2);
    EXPECT_EQ(overflow.standard_error, overflow_message);
    EXPECT_EQ(overflow.standard_output, "");
    // The same for a run of blanks and newlines, and a line comment.
    EXPECT_EQ(compile_in_process(formula + std::string(16383, ' ') + "endp").exit_code, 2);
    EXPECT_EQ(compile_in_process(formula + std::string(16382, '\n') + "endp").exit_code, 0);
    EXPECT_EQ(compile_in_process(formula + "//" + std::string(16383, 'c') + "\nendp").exit_code, 2);
    EXPECT_EQ(compile_in_process(formula + "//" + std::string(16382, 'c') + "\nendp").exit_code, 0);
}

TEST(Scanner, ALongCommentWithAStarEvery1000CharactersIsAccepted) {
    std::string comment = "/*";
    for (int i = 0; i < 100; ++i) comment += std::string(999, 'c') + "*";
    comment += "/";
    in_process_run run = compile_in_process("method F input a; proc " + comment + "\nendp");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.standard_output, "Parsing ok\n");
}

TEST(Scanner, AFailingReadEndsTheRunWithExitCode2) {
    memory_input_source input("method F input a;", 8192, true);
    std::string output, errors;
    run_channels setup;
    setup.input = &input;
    setup.standard_output = &output;
    setup.standard_error = &errors;
    char program[] = "formcomp";
    char *argv[] = {program, nullptr};
    EXPECT_EQ(run_formcomp(1, argv, setup), 2);
    EXPECT_EQ(errors, "input in flex scanner failed\n");
    EXPECT_EQ(output, "");
    reset_compile_state();
}

}  // namespace
