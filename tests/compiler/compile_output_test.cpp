// Whole compiles through the real formcomp program: the files, the listings,
// the messages with their lines and the exit codes, compared byte for byte.
#include "formcomp_process.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace formcomp_test;
using instructions = std::vector<std::pair<int, int>>;

// The (kind, value) pairs of a code file with its header.
instructions decode_code(const std::string &text) {
    instructions result;
    int count = std::stoi(text.substr(8, 4));
    for (int i = 0; i < count; ++i) {
        std::string record = text.substr(12 + 5 * static_cast<std::size_t>(i), 5);
        result.emplace_back(std::stoi(record.substr(0, 1)), std::stoi(record.substr(1)));
    }
    return result;
}

constexpr int Operatore = 1, Operando = 2, Riferimento = 3;

const char *const worked_example_1 =
    "method F\n"
    "input a;\n"
    "output r;\n"
    "proc\n"
    "if a > 0 then r = 1; else r = 2; end\n"
    "endp\n";

TEST(WorkedExamples, CalcGivesTheTwoTextsByteForByte) {
    process_result run = run_formcomp("method CALC input A; output R; proc R = A * 2; endp");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.standard_output, "Parsing ok\n");
    EXPECT_EQ(run.standard_error, "");
    EXPECT_EQ(run.files["CALC.sym"],
              "    CALC   3"
              "11                   A"
              "12                   R"
              "31                   2");
    EXPECT_EQ(run.files["CALC.obj"], "    CALC   62   12   31   43   21   11  99");
    EXPECT_EQ(run.files.size(), 2u);
}

TEST(WorkedExamples, OptionBLeavesOutBothHeaders) {
    process_result run = run_formcomp("method CALC input A; output R; proc R = A * 2; endp", "-b");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.files["CALC.sym"], "11                   A12                   R31                   2");
    EXPECT_EQ(run.files["CALC.obj"], "2   12   31   43   21   11  99");
}

TEST(WorkedExamples, IfElseGivesTheCodeOfTheExample) {
    process_result run = run_formcomp(worked_example_1);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.files["F.sym"],
              "       F   5"
              "11                   a"
              "12                   r"
              "31                   0"
              "31                   1"
              "31                   2");
    EXPECT_EQ(run.files["F.obj"],
              "       F  14"
              "2   12   31  123  111  182   43   21   13  141  192   53   21   11  99");
}

TEST(WorkedExamples, WhileGivesTheCodeOfTheExample) {
    process_result run = run_formcomp(
        "method F input a; output r; proc while (a > 0) a = a - 1; end r = a; endp");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.files["F.obj"]),
              (instructions{{Operando, 1}, {Operando, 3}, {Operatore, 12}, {Riferimento, 13},
                            {Operatore, 18}, {Operando, 1}, {Operando, 4}, {Operatore, 3},
                            {Riferimento, 1}, {Operatore, 1}, {Riferimento, 1}, {Operatore, 19},
                            {Operando, 1}, {Riferimento, 2}, {Operatore, 1}, {Operatore, 99}}));
}

TEST(WorkedExamples, OptionDListsTablesBeforeEachFile) {
    process_result run = run_formcomp(
        "method F\ninput a;\noutput r;\nproc\nif a > 0 then r = 1; else r = 2; end\n"
        "label L:\nendp\n",
        "-d");
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
    EXPECT_EQ(run.files.count("F.sym"), 1u);
}

TEST(WorkedExamples, ConstantsArePooledByTheirText) {
    process_result run = run_formcomp(
        "method F input a; output r; proc r = 2 + 2 * 2.0 - 02 + 2; endp", "-b");
    EXPECT_EQ(run.files["F.sym"],
              "11                   a12                   r31                   2"
              "31                 2.031                  02");
    EXPECT_EQ(run.files["F.obj"].substr(0, 15), "2   32   32   4");
}

TEST(WorkedExamples, EmptyFormulaAndEmptySymbolFile) {
    process_result run = run_formcomp("method F input a; proc endp");
    EXPECT_EQ(run.files["F.obj"], "       F   11  99");
    process_result eight = run_formcomp("method ABCDEFGH input a; proc endp");
    EXPECT_EQ(eight.files["ABCDEFGH.obj"], "ABCDEFGH   11  99");
}

TEST(CodeGeneration, OperatorsAndPrecedence) {
    struct example {
        const char *statement;
        instructions expected;  // before Riferimento r, ASSIGN, STOP
    };
    // Symbols: a 1, b 2, c 3, r 4.
    const example examples[] = {
        {"r = a - b - c;", {{2, 1}, {2, 2}, {1, 3}, {2, 3}, {1, 3}}},
        {"r = a + b * c;", {{2, 1}, {2, 2}, {2, 3}, {1, 4}, {1, 2}}},
        {"r = -a * b;", {{2, 1}, {1, 6}, {2, 2}, {1, 4}}},
        {"r = a * -b;", {{2, 1}, {2, 2}, {1, 6}, {1, 4}}},
        {"r = - - a;", {{2, 1}, {1, 6}, {1, 6}}},
        {"r = a / b * c;", {{2, 1}, {2, 2}, {1, 5}, {2, 3}, {1, 4}}},
        {"r = a mod b % c;", {{2, 1}, {2, 2}, {1, 8}, {2, 3}, {1, 7}}},
        {"r = (a + b) * c;", {{2, 1}, {2, 2}, {1, 2}, {2, 3}, {1, 4}}},
        {"r = round(a, b) + ceil(a, b) - floor(a, b);",
         {{2, 1}, {2, 2}, {1, 23}, {2, 1}, {2, 2}, {1, 24}, {1, 2}, {2, 1}, {2, 2}, {1, 25}, {1, 3}}},
    };
    for (const example &e : examples) {
        SCOPED_TRACE(e.statement);
        process_result run = run_formcomp(std::string("method F input a, b, c; output r; proc ") +
                                          e.statement + " endp");
        ASSERT_EQ(run.exit_code, 0);
        instructions expected = e.expected;
        expected.insert(expected.end(), {{3, 4}, {1, 1}, {1, 99}});
        EXPECT_EQ(decode_code(run.files["F.obj"]), expected);
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
         {{2, 1}, {2, 2}, {1, 12}, {2, 2}, {2, 3}, {1, 12}, {2, 3}, {2, 1}, {1, 12}, {1, 9}, {1, 10},
          {3, 14}, {1, 18}}},
        // not applies to the comparison only, and is a logical negation.
        {"if not a > b and c == a then end",
         {{2, 1}, {2, 2}, {1, 12}, {1, 11}, {3, 1}, {1, 9}, {2, 3}, {2, 1}, {1, 17}, {1, 9},
          {3, 13}, {1, 18}}},
        {"if not not (a < b) then end",
         {{2, 1}, {2, 2}, {1, 13}, {1, 11}, {3, 1}, {1, 9}, {1, 11}, {3, 1}, {1, 9}, {3, 12}, {1, 18}}},
        {"if a >= b then else end", {{2, 1}, {2, 2}, {1, 14}, {3, 8}, {1, 18}, {3, 8}, {1, 19}}},
        {"if a <= b then if b != c then return end end",
         {{2, 1}, {2, 2}, {1, 15}, {3, 12}, {1, 18}, {2, 2}, {2, 3}, {1, 16}, {3, 12}, {1, 18},
          {1, 99}}},
        {"while ((a > 0) and isin(b)) message a errmsg b end",
         {{2, 1}, {2, 5}, {1, 12}, {3, 2}, {1, 22}, {1, 9}, {3, 16}, {1, 18}, {2, 1}, {1, 20},
          {2, 2}, {1, 21}, {1, 99}, {3, 1}, {1, 19}}},
        {"if (a) > b then end if (a + 1) > b then end if ((a > b)) then end",
         {{2, 1}, {2, 2}, {1, 12}, {3, 6}, {1, 18}, {2, 1}, {2, 5}, {1, 2}, {2, 2}, {1, 12},
          {3, 13}, {1, 18}, {2, 1}, {2, 2}, {1, 12}, {3, 18}, {1, 18}}},
    };
    for (const example &e : examples) {
        SCOPED_TRACE(e.statements);
        process_result run = run_formcomp(std::string("method F input a, b, c; output r; proc ") +
                                          e.statements + " endp");
        ASSERT_EQ(run.exit_code, 0) << run.standard_output;
        instructions expected = e.expected;
        expected.emplace_back(1, 99);
        EXPECT_EQ(decode_code(run.files["F.obj"]), expected);
    }
}

TEST(LabelChains, PendingJumpsAreFilledInByTheDefinition) {
    // Three jumps before the label and one after: all carry the address of
    // the instruction after the label (7, the assignment's constant).
    process_result run = run_formcomp(
        "method F input a; proc goto L goto L goto L label L : a = 1; goto L endp", "-d");
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.files["F.obj"]),
              (instructions{{3, 7}, {1, 19}, {3, 7}, {1, 19}, {3, 7}, {1, 19}, {2, 2}, {3, 1},
                            {1, 1}, {3, 7}, {1, 19}, {1, 99}}));
    EXPECT_NE(run.standard_output.find("Lab: address, declar, name\n"
                                       "Lab:       7      1                     L\n"),
              std::string::npos);
}

TEST(LabelChains, LabelsBeforeEndpNameTheFinalStopAndNamesMayBeBoth) {
    process_result run = run_formcomp(
        "method F input L; proc goto L L = 1; label L : endp");
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_EQ(decode_code(run.files["F.obj"]),
              (instructions{{3, 6}, {1, 19}, {2, 2}, {3, 1}, {1, 1}, {1, 99}}));
}

TEST(LabelChains, UnusedLabelIsNoError) {
    EXPECT_EQ(run_formcomp("method F input a; proc label X: endp").exit_code, 0);
}

struct syntax_case {
    const char *source;
    int line;
};

TEST(SyntaxErrors, ReportTheLineOfTheOffendingTokenAndWriteNothing) {
    const syntax_case cases[] = {
        {"", 1},
        {"method F proc endp", 1},
        {"method 3", 1},
        {"method F\ninput a, ;", 2},
        {"method F\ninput ;", 2},
        {"method F input a;\nproc\nif a then return end endp", 3},
        {"method F input a; proc\n\nwhile a > 0 return end endp", 3},
        {"method F input a, b; proc while (a > 0) and (b > 0) return end endp", 1},
        {"method F input a, b; output r; proc r = a > b; endp", 1},
        {"method F input a; output r; proc r = isin(a); endp", 1},
        {"method F input a; proc if isin(3) then end endp", 1},
        {"method F input a; proc return; endp", 1},
        {"method F input a; proc a = 1;; endp", 1},
        {"method F input a; proc a = round(a); endp", 1},
        {"method F input a; proc a = round(a, 2, 3); endp", 1},
        {"method F input a; proc if a > 1 > 2 then end endp", 1},
        {"method F input a; proc if a == a then if a != a then return end endp", 1},
        {"method F input a; proc a = 1 \v; endp", 1},
        {"method F input a; proc a = \xe9; endp", 1},
        {"method F input a; proc a = 1; endp\n\n// trailing\n/* */ x", 4},
        {"method F input a; proc a = 1; endp\n\xe9", 2},
        {"method F input a; proc a = 1; endp method G", 1},
        {"method F input a; proc\n/*\n\n*/ a = = 1; endp", 4},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 1},
        {"method\nF\ninput\na\n;\nproc\na\n=\n1\n;\n", 11},
        {"method F input a; proc a = 1; /* never closed", 1},
    };
    for (const syntax_case &c : cases) {
        SCOPED_TRACE(c.source);
        process_result run = run_formcomp(c.source);
        EXPECT_EQ(run.standard_output, "syntax error: linea " + std::to_string(c.line) + "\n");
        EXPECT_EQ(run.standard_error, "");
        EXPECT_EQ(run.exit_code, 1);
        bool complete = std::string(c.source).find("endp") != std::string::npos &&
                        std::string(c.source).find("a = 1; endp") != std::string::npos;
        EXPECT_EQ(run.files.size(), complete ? 2u : 0u);
    }
}

TEST(SyntaxErrors, FilesAreWrittenBeforeTheTokenAfterEndp) {
    process_result run = run_formcomp("method CALC input A; output R; proc R = A * 2; endp\nextra", "-d");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.files["CALC.obj"], "    CALC   62   12   31   43   21   11  99");
    // The listings came first, then the error; no "Parsing ok".
    const std::string tail = "Pol:   6   Operatore     STOP\nsyntax error: linea 2\n";
    EXPECT_TRUE(run.standard_output.ends_with(tail)) << run.standard_output;
}

TEST(SyntaxErrors, ParserStackHolds500States) {
    // method NAME decl_list PROC stmt_list NAME '=' and the initial state are
    // 8 states; each '(' one more, then NAME (later expr) and ')'.
    auto nested = [](int depth) {
        return "method F input a; proc a = " + std::string(static_cast<std::size_t>(depth), '(') + "a" +
               std::string(static_cast<std::size_t>(depth), ')') + "; endp";
    };
    EXPECT_EQ(run_formcomp(nested(490)).exit_code, 0);
    process_result overflow = run_formcomp(nested(491));
    EXPECT_EQ(overflow.standard_output, "yacc stack overflow: linea 1\n");
    EXPECT_EQ(overflow.exit_code, 1);
    EXPECT_TRUE(overflow.files.empty());
}

TEST(SemanticErrors, EveryErrorIsReportedWithItsLineAndNothingIsWritten) {
    process_result run = run_formcomp(
        "method F\n"
        "input a, x;\n"
        "output x;\n"       // 3: redefined
        "proc\n"
        "r = y\n"           // 5: y undefined
        "  + y;\n"          // 6: y again; r undefined at the ';'
        "if isin(q) then\n" // 7: q undefined and not a variable
        "end\n"
        "if isin(\n5) then end\n"  // 10: isin takes a name: syntax error
        "endp\n");
    EXPECT_EQ(run.standard_output,
              "Variabile x ridefinita linea 3\n"
              "Variabile y non definita linea 5\n"
              "Variabile y non definita linea 6\n"
              "Variabile r non definita linea 6\n"
              "Variabile q non definita linea 7\n"
              "q non e' una variabile, linea 7\n"
              "syntax error: linea 10\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(run.files.empty());
}

TEST(SemanticErrors, IsinReportsAtItsClosingParenthesis) {
    process_result run = run_formcomp("method F input a; proc\nif isin(q\n\n) then end\nendp");
    EXPECT_EQ(run.standard_output,
              "Variabile q non definita linea 4\n"
              "q non e' una variabile, linea 4\n");
    EXPECT_EQ(run.exit_code, 1);
}

TEST(SemanticErrors, ParseRunsToItsEndAndLabelsComeLast) {
    process_result run = run_formcomp(
        "method F\ninput a;\nproc\ngoto Missing\nlabel Twice:\nlabel Twice\n:\n"
        "goto Other\nb = 1;\nendp\n",
        "-d");
    EXPECT_EQ(run.standard_output,
              "Label Twice ridefinita linea 7\n"
              "Variabile b non definita linea 9\n"
              "Label Missing non dichiarata\n"
              "Label Other non dichiarata\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(run.files.empty());
}

TEST(Options, LettersAndTheirEffects) {
    const std::string calc = "method CALC input A; output R; proc R = A * 2; endp";
    process_result help = run_formcomp(calc, "-h");
    EXPECT_EQ(help.standard_output,
              "Parser help:\n -d: debug output\n -b: No header in output files\n -h: This help\n");
    EXPECT_EQ(help.exit_code, 1);
    EXPECT_TRUE(help.files.empty());

    process_result grouped = run_formcomp(calc, "-db");
    EXPECT_EQ(grouped.exit_code, 0);
    EXPECT_EQ(grouped.files["CALC.obj"], "2   12   31   43   21   11  99");
    EXPECT_EQ(grouped.standard_output.substr(0, 29), "Var: # ord tipo, scope, name\n");

    process_result bad = run_formcomp(calc, "-dx");
    EXPECT_EQ(bad.standard_error, FORMCOMP_PATH ": unknown option x\n");
    EXPECT_EQ(bad.standard_output, "");
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_TRUE(bad.files.empty());

    process_result bad_first = run_formcomp(calc, "-x -h");
    EXPECT_EQ(bad_first.standard_error, FORMCOMP_PATH ": unknown option x\n");
    EXPECT_EQ(bad_first.standard_output, "");
    EXPECT_EQ(bad_first.exit_code, 1);

    process_result help_first = run_formcomp(calc, "-h -x");
    EXPECT_EQ(help_first.standard_error, "");
    EXPECT_EQ(help_first.exit_code, 1);

    EXPECT_EQ(run_formcomp(calc, "-:").standard_error, FORMCOMP_PATH ": unknown option :\n");

    for (const char *ignored : {"-- -h", "- -d", "source.txt -h", "-b -- -d"}) {
        SCOPED_TRACE(ignored);
        process_result run = run_formcomp(calc, ignored);
        EXPECT_EQ(run.standard_output, "Parsing ok\n");
        EXPECT_EQ(run.exit_code, 0);
    }
    EXPECT_EQ(run_formcomp(calc, "-b -- -d").files["CALC.obj"], "2   12   31   43   21   11  99");
}

TEST(Options, ListingsOnlyOnSuccess) {
    process_result run = run_formcomp("method F input a; proc b = 1; endp", "-d");
    EXPECT_EQ(run.standard_output, "Variabile b non definita linea 1\n");
}

TEST(ScannerFailures, OverflowStopsWithExitCode2AndWritesNothing) {
    process_result run =
        run_formcomp("method F input a; proc a = 1; /*" + std::string(20000, 'x') + "*/ endp");
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.standard_error,
              "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n");
    EXPECT_EQ(run.standard_output, "");
    EXPECT_TRUE(run.files.empty());
    // After a complete formula the files are already there.
    process_result late = run_formcomp("method F input a; proc endp " + std::string(16383, 'n'));
    EXPECT_EQ(late.exit_code, 2);
    EXPECT_EQ(late.files.size(), 2u);
}

TEST(TextInput, CarriageReturnsAndControlZ) {
    process_result run = run_formcomp("method F\r\ninput a;\r\r\n\rproc\r\nb = 1;\r\nendp\r\n");
    EXPECT_EQ(run.standard_output, "Variabile b non definita linea 4\n");
    process_result cut = run_formcomp("method F input a; proc endp\x1a this is not read");
    EXPECT_EQ(cut.standard_output, "Parsing ok\n");
    EXPECT_EQ(cut.exit_code, 0);
}

}  // namespace
