// Code generation, run in process through the run's channels so that it
// runs in every build: the two texts, the instructions each construct gives
// (by opcode name), the listings of -d and the label chains.
#include "in_process_compile.h"

#include "formula/format.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace formcomp_test;
using namespace formula;

struct instruction {
    int kind;
    int value;
    bool operator==(const instruction &) const = default;
};

std::ostream &operator<<(std::ostream &out, const instruction &i) {
    const char *kind = kind_name(i.kind);
    const char *opcode = i.kind == Operatore ? opcode_name(i.value) : nullptr;
    out << (kind ? kind : "?") << " ";
    return opcode ? out << opcode : out << i.value;
}

using instructions = std::vector<instruction>;

instruction op(int opcode) { return {Operatore, opcode}; }
instruction var(int symbol) { return {Operando, symbol}; }
instruction ref(int value) { return {Riferimento, value}; }

// The instructions of a code text with its header.
instructions decode_code(const std::string &text) {
    instructions result;
    int count = std::stoi(text.substr(8, 4));
    for (int i = 0; i < count; ++i) {
        std::string record = text.substr(12 + 5 * static_cast<std::size_t>(i), 5);
        result.push_back({std::stoi(record.substr(0, 1)), std::stoi(record.substr(1))});
    }
    return result;
}

const char *const worked_example_1 =
    "method F\n"
    "input a;\n"
    "output r;\n"
    "proc\n"
    "if a > 0 then r = 1; else r = 2; end\n"
    "endp\n";

TEST(WorkedExamples, CalcGivesTheTwoTextsByteForByte) {
    in_process_run run = compile_in_process("method CALC input A; output R; proc R = A * 2; endp");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.standard_output, "Parsing ok\n");
    EXPECT_EQ(run.standard_error, "");
    EXPECT_EQ(run.texts.symbol_text,
              "    CALC   3"
              "11                   A"
              "12                   R"
              "31                   2");
    EXPECT_EQ(run.texts.code_text, "    CALC   62   12   31   43   21   11  99");
    EXPECT_EQ(run.texts.symbol_name, "CALC.sym");
    EXPECT_EQ(run.texts.code_name, "CALC.obj");
}

TEST(WorkedExamples, OptionBLeavesOutBothHeaders) {
    in_process_run run = compile_in_process("method CALC input A; output R; proc R = A * 2; endp", {"-b"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.texts.symbol_text, "11                   A12                   R31                   2");
    EXPECT_EQ(run.texts.code_text, "2   12   31   43   21   11  99");
}

TEST(WorkedExamples, IfElseGivesTheCodeOfTheExample) {
    in_process_run run = compile_in_process(worked_example_1);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.texts.symbol_text,
              "       F   5"
              "11                   a"
              "12                   r"
              "31                   0"
              "31                   1"
              "31                   2");
    EXPECT_EQ(run.texts.code_text,
              "       F  14"
              "2   12   31  123  111  182   43   21   13  141  192   53   21   11  99");
}

TEST(WorkedExamples, WhileGivesTheCodeOfTheExample) {
    in_process_run run = compile_in_process(
        "method F input a; output r; proc while (a > 0) a = a - 1; end r = a; endp");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.texts.code_text),
              (instructions{var(1), var(3), op(LGT), ref(13),
                            op(BRF), var(1), var(4), op(MINUS),
                            ref(1), op(ASSIGN), ref(1), op(BR),
                            var(1), ref(2), op(ASSIGN), op(STOP)}));
}

TEST(WorkedExamples, OptionDListsTablesBeforeEachFile) {
    in_process_run run = compile_in_process(
        "method F\ninput a;\noutput r;\nproc\nif a > 0 then r = 1; else r = 2; end\n"
        "label L:\nendp\n",
        {"-d"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.standard_output,
              "Var: # ord tipo, scope, name\n"
              "Var: #   1    1     1                    a\n"
              "Var: #   2    1     2                    r\n"
              "Var: #   3    3     1                    0\n"
              "Var: #   4    3     1                    1\n"
              "Var: #   5    3     1                    2\n"
              "Lab: address, declar, name\n"
              "Lab:      14      1                     L\n"
              "Pol: #ord        tipo  riferimento\n"
              "Pol:   1    Operando        a\n"
              "Pol:   2    Operando        0\n"
              "Pol:   3   Operatore      LGT\n"
              "Pol:   4 Riferimento       11\n"
              "Pol:   5   Operatore      BRF\n"
              "Pol:   6    Operando        1\n"
              "Pol:   7 Riferimento        2\n"
              "Pol:   8   Operatore   ASSIGN\n"
              "Pol:   9 Riferimento       14\n"
              "Pol:  10   Operatore       BR\n"
              "Pol:  11    Operando        2\n"
              "Pol:  12 Riferimento        2\n"
              "Pol:  13   Operatore   ASSIGN\n"
              "Pol:  14   Operatore     STOP\n"
              "Parsing ok\n");
    EXPECT_EQ(run.texts.symbol_name, "F.sym");
}

TEST(WorkedExamples, ConstantsArePooledByTheirText) {
    in_process_run run = compile_in_process(
        "method F input a; output r; proc r = 2 + 2 * 2.0 - 02 + 2; endp", {"-b"});
    EXPECT_EQ(run.texts.symbol_text,
              "11                   a12                   r31                   2"
              "31                 2.031                  02");
    EXPECT_EQ(run.texts.code_text.substr(0, 15), "2   32   32   4");
}

TEST(WorkedExamples, EmptyFormulaAndEmptySymbolFile) {
    in_process_run run = compile_in_process("method F input a; proc endp");
    EXPECT_EQ(run.texts.code_text, "       F   11  99");
    in_process_run eight = compile_in_process("method ABCDEFGH input a; proc endp");
    EXPECT_EQ(eight.texts.code_text, "ABCDEFGH   11  99");
}

TEST(CodeGeneration, OperatorsAndPrecedence) {
    struct example {
        const char *statement;
        instructions expected;  // before Riferimento r, ASSIGN, STOP
    };
    // Symbols: a 1, b 2, c 3, r 4.
    const example examples[] = {
        {"r = a - b - c;", {var(1), var(2), op(MINUS), var(3), op(MINUS)}},
        {"r = a + b * c;", {var(1), var(2), var(3), op(MULT), op(PLUS)}},
        {"r = -a * b;", {var(1), op(SIGN), var(2), op(MULT)}},
        {"r = a * -b;", {var(1), var(2), op(SIGN), op(MULT)}},
        {"r = - - a;", {var(1), op(SIGN), op(SIGN)}},
        {"r = a / b * c;", {var(1), var(2), op(DIV), var(3), op(MULT)}},
        {"r = a mod b % c;", {var(1), var(2), op(MODOPER), var(3), op(PERC)}},
        {"r = (a + b) * c;", {var(1), var(2), op(PLUS), var(3), op(MULT)}},
        {"r = round(a, b) + ceil(a, b) - floor(a, b);",
         {var(1), var(2), op(ROUND), var(1), var(2), op(CEIL), op(PLUS), var(1), var(2), op(FLOOR), op(MINUS)}},
    };
    for (const example &e : examples) {
        SCOPED_TRACE(e.statement);
        in_process_run run = compile_in_process(std::string("method F input a, b, c; output r; proc ") +
                                          e.statement + " endp");
        ASSERT_EQ(run.exit_code, 0);
        instructions expected = e.expected;
        expected.insert(expected.end(), {ref(4), op(ASSIGN), op(STOP)});
        EXPECT_EQ(decode_code(run.texts.code_text), expected);
    }
}

TEST(CodeGeneration, ConditionsStatementsAndNot) {
    struct example {
        const char *statements;
        instructions expected;  // before the final STOP
    };
    const example examples[] = {
        // (a > b) or ((b > c) and (c > a)); the condition's jump lands after the "if".
        {"if a > b or b > c and c > a then end",
         {var(1), var(2), op(LGT), var(2), var(3), op(LGT), var(3), var(1), op(LGT), op(LOGAND), op(LOGOR),
          ref(14), op(BRF)}},
        // not applies to the comparison only, and is a logical negation.
        {"if not a > b and c == a then end",
         {var(1), var(2), op(LGT), op(LOGNOT), ref(1), op(LOGAND), var(3), var(1), op(LEQ), op(LOGAND),
          ref(13), op(BRF)}},
        {"if not not (a < b) then end",
         {var(1), var(2), op(LLT), op(LOGNOT), ref(1), op(LOGAND), op(LOGNOT), ref(1), op(LOGAND), ref(12), op(BRF)}},
        {"if a >= b then else end", {var(1), var(2), op(LGE), ref(8), op(BRF), ref(8), op(BR)}},
        {"if a <= b then if b != c then return end end",
         {var(1), var(2), op(LLE), ref(12), op(BRF), var(2), var(3), op(LNE), ref(12), op(BRF),
          op(STOP)}},
        {"while ((a > 0) and isin(b)) message a errmsg b end",
         {var(1), var(5), op(LGT), ref(2), op(LOGISIN), op(LOGAND), ref(16), op(BRF), var(1), op(INF),
          var(2), op(ERM), op(STOP), ref(1), op(BR)}},
        {"if (a) > b then end if (a + 1) > b then end if ((a > b)) then end",
         {var(1), var(2), op(LGT), ref(6), op(BRF), var(1), var(5), op(PLUS), var(2), op(LGT),
          ref(13), op(BRF), var(1), var(2), op(LGT), ref(18), op(BRF)}},
    };
    for (const example &e : examples) {
        SCOPED_TRACE(e.statements);
        in_process_run run = compile_in_process(std::string("method F input a, b, c; output r; proc ") +
                                          e.statements + " endp");
        ASSERT_EQ(run.exit_code, 0) << run.standard_output;
        instructions expected = e.expected;
        expected.emplace_back(1, 99);
        EXPECT_EQ(decode_code(run.texts.code_text), expected);
    }
}

TEST(LabelChains, PendingJumpsAreFilledInByTheDefinition) {
    // Three jumps before the label and one after: all carry the address of
    // the instruction after the label (7, the assignment's constant).
    in_process_run run = compile_in_process(
        "method F input a; proc goto L goto L goto L label L : a = 1; goto L endp", {"-d"});
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.texts.code_text),
              (instructions{ref(7), op(BR), ref(7), op(BR), ref(7), op(BR), var(2), ref(1),
                            op(ASSIGN), ref(7), op(BR), op(STOP)}));
    EXPECT_NE(run.standard_output.find("Lab: address, declar, name\n"
                                       "Lab:       7      1                     L\n"),
              std::string::npos);
}

TEST(LabelChains, LabelsBeforeEndpNameTheFinalStopAndNamesMayBeBoth) {
    in_process_run run = compile_in_process(
        "method F input L; proc goto L L = 1; label L : endp");
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.texts.code_text),
              (instructions{ref(6), op(BR), var(2), ref(1), op(ASSIGN), op(STOP)}));
}

TEST(LabelChains, UnusedLabelIsNoError) {
    EXPECT_EQ(compile_in_process("method F input a; proc label X: endp").exit_code, 0);
}

}  // namespace
