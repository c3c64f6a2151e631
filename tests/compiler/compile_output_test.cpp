// Whole compiles through the real formcomp program: the files, the listings,
// the messages with their lines and the exit codes, compared byte for byte.
#include "formcomp_program.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace formcomp_test;
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
        process_result run = run_formcomp_program(c.source);
        EXPECT_EQ(run.standard_output, "syntax error: linea " + std::to_string(c.line) + "\n");
        EXPECT_EQ(run.standard_error, "");
        EXPECT_EQ(run.exit_code, 1);
        bool complete = std::string(c.source).find("endp") != std::string::npos &&
                        std::string(c.source).find("a = 1; endp") != std::string::npos;
        EXPECT_EQ(run.files.size(), complete ? 2u : 0u);
    }
}

TEST(SyntaxErrors, FilesAreWrittenBeforeTheTokenAfterEndp) {
    process_result run = run_formcomp_program("method CALC input A; output R; proc R = A * 2; endp\nextra", "-d");
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
    EXPECT_EQ(run_formcomp_program(nested(490)).exit_code, 0);
    process_result overflow = run_formcomp_program(nested(491));
    EXPECT_EQ(overflow.standard_output, "yacc stack overflow: linea 1\n");
    EXPECT_EQ(overflow.exit_code, 1);
    EXPECT_TRUE(overflow.files.empty());
}

TEST(SemanticErrors, EveryErrorIsReportedWithItsLineAndNothingIsWritten) {
    process_result run = run_formcomp_program(
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
    process_result run = run_formcomp_program("method F input a; proc\nif isin(q\n\n) then end\nendp");
    EXPECT_EQ(run.standard_output,
              "Variabile q non definita linea 4\n"
              "q non e' una variabile, linea 4\n");
    EXPECT_EQ(run.exit_code, 1);
}

TEST(SemanticErrors, ParseRunsToItsEndAndLabelsComeLast) {
    process_result run = run_formcomp_program(
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
    process_result help = run_formcomp_program(calc, "-h");
    EXPECT_EQ(help.standard_output,
              "Parser help:\n -d: debug output\n -b: No header in output files\n -h: This help\n");
    EXPECT_EQ(help.exit_code, 1);
    EXPECT_TRUE(help.files.empty());

    process_result grouped = run_formcomp_program(calc, "-db");
    EXPECT_EQ(grouped.exit_code, 0);
    EXPECT_EQ(grouped.files["CALC.obj"], "2   12   31   43   21   11  99");
    EXPECT_EQ(grouped.standard_output.substr(0, 29), "Var: # ord tipo, scope, name\n");

    process_result bad = run_formcomp_program(calc, "-dx");
    EXPECT_EQ(bad.standard_error, FORMCOMP_PATH ": unknown option x\n");
    EXPECT_EQ(bad.standard_output, "");
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_TRUE(bad.files.empty());

    process_result bad_first = run_formcomp_program(calc, "-x -h");
    EXPECT_EQ(bad_first.standard_error, FORMCOMP_PATH ": unknown option x\n");
    EXPECT_EQ(bad_first.standard_output, "");
    EXPECT_EQ(bad_first.exit_code, 1);

    process_result help_first = run_formcomp_program(calc, "-h -x");
    EXPECT_EQ(help_first.standard_error, "");
    EXPECT_EQ(help_first.exit_code, 1);

    EXPECT_EQ(run_formcomp_program(calc, "-:").standard_error, FORMCOMP_PATH ": unknown option :\n");

    for (const char *ignored : {"-- -h", "- -d", "source.txt -h", "-b -- -d"}) {
        SCOPED_TRACE(ignored);
        process_result run = run_formcomp_program(calc, ignored);
        EXPECT_EQ(run.standard_output, "Parsing ok\n");
        EXPECT_EQ(run.exit_code, 0);
    }
    EXPECT_EQ(run_formcomp_program(calc, "-b -- -d").files["CALC.obj"], "2   12   31   43   21   11  99");
}

TEST(Options, ListingsOnlyOnSuccess) {
    process_result run = run_formcomp_program("method F input a; proc b = 1; endp", "-d");
    EXPECT_EQ(run.standard_output, "Variabile b non definita linea 1\n");
}

TEST(ScannerFailures, OverflowStopsWithExitCode2AndWritesNothing) {
    process_result run =
        run_formcomp_program("method F input a; proc a = 1; /*" + std::string(20000, 'x') + "*/ endp");
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.standard_error,
              "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n");
    EXPECT_EQ(run.standard_output, "");
    EXPECT_TRUE(run.files.empty());
    // After a complete formula the files are already there.
    process_result late = run_formcomp_program("method F input a; proc endp " + std::string(16383, 'n'));
    EXPECT_EQ(late.exit_code, 2);
    EXPECT_EQ(late.files.size(), 2u);
}

TEST(TextInput, CarriageReturnsAndControlZ) {
    process_result run = run_formcomp_program("method F\r\ninput a;\r\r\n\rproc\r\nb = 1;\r\nendp\r\n");
    EXPECT_EQ(run.standard_output, "Variabile b non definita linea 4\n");
    process_result cut = run_formcomp_program("method F input a; proc endp\x1a this is not read");
    EXPECT_EQ(cut.standard_output, "Parsing ok\n");
    EXPECT_EQ(cut.exit_code, 0);
}

}  // namespace
