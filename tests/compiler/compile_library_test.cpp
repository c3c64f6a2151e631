// The compile library: each message with the place of its token, the found
// and expected tokens of syntax errors, the names it reports, and many
// compiles in one process.
#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace formcomp;

struct placed_message {
    const char *source;
    const char *text;
    int line;      // the line printed (the current line where none is printed)
    int at_line;   // where its token stands
    int column;
    int end_column;
};

TEST(CompileLibrary, EveryMessageStandsAtItsToken) {
    const placed_message cases[] = {
        {"method F input a;\nproc\n  r = 1;\nendp", "Variabile r non definita linea 3\n", 3, 3, 3, 4},
        {"method F input a;\nproc\n  a = b + 1;\nendp", "Variabile b non definita linea 3\n", 3, 3, 7, 8},
        {"method F input a,\n   a; proc endp", "Variabile a ridefinita linea 2\n", 2, 2, 4, 5},
        {"method F input a; proc\nlabel L: label L:\nendp", "Label L ridefinita linea 2\n", 2, 2, 16, 17},
        {"method F input a; proc\n goto Nowhere\nendp", "Label Nowhere non dichiarata\n", 3, 2, 7, 14},
        {"method F input a; proc\nif isin(12) then end endp", "syntax error: linea 2\n", 2, 2, 9, 11},
        {"method F input a; proc if isin(a) then end\n if isin(F) then end endp",
         "Variabile F non definita linea 2\n", 2, 2, 10, 11},
        {"method F input abcdefghijklmnopqrstu; proc endp",
         "Nome abcdefghijklmnopqrstu troppo lungo (massimo 19 caratteri) linea 1\n", 1, 1, 16, 37},
        {"method F input a; proc\na = 123456789012345678901;\nendp",
         "Numero 123456789012345678901 troppo lungo (massimo 19 caratteri) linea 2\n", 2, 2, 5, 26},
        {"\nmethod LONGNAME9 input a; proc endp",
         "Nome della formula LONGNAME9 troppo lungo (massimo 8 caratteri) linea 2\n", 2, 2, 8, 17},
        {"method LONGNAME9\ninput a;\nproc\nendp",
         "Nome della formula LONGNAME9 troppo lungo (massimo 8 caratteri) linea 1\n", 1, 1, 8, 17},
        {"method F input a; proc\na = 1\n\n  = 2; endp", "syntax error: linea 4\n", 4, 4, 3, 4},
        {"method F input a; proc\na = \xe9; endp", "syntax error: linea 2\n", 2, 2, 5, 6},
        {"method F input a; proc\na = 1;", "syntax error: linea 2\n", 2, 2, 7, 7},
    };
    for (const placed_message &c : cases) {
        SCOPED_TRACE(c.source);
        compile_result result = compile_source(c.source);
        ASSERT_FALSE(result.messages.empty());
        const compile_message &message = result.messages.front();
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.line, c.line);
        EXPECT_EQ(message.where.line, c.at_line);
        EXPECT_EQ(message.where.column, c.column);
        EXPECT_EQ(message.where.end_column, c.end_column);
        EXPECT_EQ(result.standard_output.substr(0, message.text.size()), message.text);
        EXPECT_EQ(result.exit_code, 1);
    }
}

TEST(CompileLibrary, FullTablesStandAtTheTokenThatFoundNoRoom) {
    std::string source = "method F\ninput a;\nproc\n";
    for (int i = 0; i < 4095; ++i) source += "return\n";
    compile_result result = compile_source(source + "endp");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Troppe istruzioni (massimo 4095) linea 4099\n");
    EXPECT_EQ(result.messages[0].where.line, 4099);
    EXPECT_EQ(result.messages[0].where.column, 1);

    std::string labels = "method F\ninput a;\nproc\n";
    for (int i = 1; i <= 64; ++i) labels += "label L" + std::to_string(i) + ":\n";
    result = compile_source(labels + "endp");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Troppe label (massimo 63) linea 67\n");
    EXPECT_EQ(result.messages[0].where.line, 67);
    EXPECT_EQ(result.messages[0].where.column, 7);

    std::string nested = "method F\ninput a;\nproc\n";
    for (int i = 1; i <= 51; ++i) nested += "if a > 0 then\n";
    for (int i = 1; i <= 51; ++i) nested += "end\n";
    result = compile_source(nested + "endp");
    ASSERT_FALSE(result.messages.empty());
    EXPECT_EQ(result.messages[0].text, "Troppi if e while annidati (massimo 50) linea 54\n");
    EXPECT_EQ(result.messages[0].where.line, 54);

    std::string symbols = "method F\ninput v1";
    for (int i = 2; i <= 1024; ++i) symbols += ",\nv" + std::to_string(i);
    result = compile_source(symbols + ";\nproc\nendp");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Troppe variabili e costanti (massimo 1023) linea 1025\n");
    EXPECT_EQ(result.messages[0].where.line, 1025);
    EXPECT_EQ(result.messages[0].where.column, 1);

    result = compile_source("method F input a; proc a =\n" + std::string(495, '(') + "a");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "yacc stack overflow: linea 2\n");
    EXPECT_EQ(result.messages[0].where.column, 493);

    compile_result overflow = compile_source("method F input a; proc\n  a = 1; /*" + std::string(20000, 'x'));
    EXPECT_EQ(overflow.exit_code, 2);
    ASSERT_EQ(overflow.messages.size(), 1u);
    EXPECT_EQ(overflow.messages[0].kind, message_kind::scanner_failure);
    EXPECT_EQ(overflow.standard_error, overflow.messages[0].text);
    EXPECT_EQ(overflow.messages[0].where.line, 2);
    EXPECT_EQ(overflow.messages[0].where.column, 12);
}

TEST(CompileLibrary, KeepsTheMessagesAskedForCountsTheRestAndKeepsTheOneThatEndedTheParse) {
    std::string source = "method F\ninput a;\nproc\n";
    for (int i = 0; i < 10; ++i) source += "q = 1;\n";
    source += "a = ;\nendp\n";
    compile_result all = compile_source(source);
    ASSERT_EQ(all.messages.size(), 11u);
    EXPECT_EQ(all.messages_left_out, 0u);

    compile_result capped = compile_source(source, {.kept_messages = 3});
    ASSERT_EQ(capped.messages.size(), 4u);
    EXPECT_EQ(capped.messages_left_out, 7u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(capped.messages[i].text, all.messages[i].text);
    EXPECT_EQ(capped.messages[3].kind, message_kind::syntax);
    EXPECT_EQ(capped.messages[3].found, ";");
    EXPECT_EQ(capped.standard_output, all.standard_output);
    EXPECT_EQ(capped.exit_code, all.exit_code);

    compile_result quiet = compile_source(source, {.kept_messages = 3, .keep_printed_text = false});
    EXPECT_EQ(quiet.standard_output, "");
    EXPECT_EQ(quiet.messages.size(), 4u);
    EXPECT_EQ(quiet.variables.size(), 2u);
}

struct syntax_case {
    const char *source;
    const char *found;
    std::vector<std::string> expected;
};

TEST(CompileLibrary, SyntaxErrorsNameTheTokenFoundAndTheTokensExpected) {
    const syntax_case cases[] = {
        {"", "end of input", {"method"}},
        {"method 3", "3", {"NAME"}},
        {"method F proc", "proc", {"input", "output", "inout", "local", "static"}},
        {"method F input a proc", "proc", {",", ";"}},
        {"method F input a; proc a = 1 endp", "endp", {"+", "-", "*", "/", "%", "mod", ";"}},
        {"method F input a; proc if isin(3) then end endp", "3", {"NAME"}},
        {"method F input a; proc a = \x01; endp", "\\x01", {"NUMBER", "NAME", "(", "-", "round", "ceil", "floor"}},
        {"method F input a; proc endp x", "x", {"end of input"}},
    };
    for (const syntax_case &c : cases) {
        SCOPED_TRACE(c.source);
        compile_result result = compile_source(c.source);
        ASSERT_EQ(result.messages.size(), 1u);
        const compile_message &message = result.messages[0];
        EXPECT_EQ(message.kind, message_kind::syntax);
        EXPECT_EQ(message.found, c.found);
        std::vector<std::string> expected = c.expected;
        std::vector<std::string> got = message.expected;
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected);
    }
}

TEST(CompileLibrary, NamesWithTheirDeclarationsAndUses) {
    compile_result result = compile_source(
        "method F\n"
        "input a;\n"
        "output r;\n"
        "local t;\n"
        "proc\n"
        "goto Done\n"
        "t = a * 2;\n"
        "label Done:\n"
        "r = t + q;\n"
        "if isin(t) then goto Done end\n"
        "endp\n");
    EXPECT_EQ(result.formula_name.text, std::string("F"));
    ASSERT_EQ(result.variables.size(), 4u);
    const named_entity &t = result.variables[2];
    EXPECT_EQ(t.name, "t");
    EXPECT_EQ(t.kind, name_class::local);
    EXPECT_EQ(t.declaration.line, 4);
    EXPECT_EQ(t.declaration.column, 7);
    ASSERT_EQ(t.uses.size(), 3u);
    EXPECT_EQ(t.uses[0].role, name_role::assignment);
    EXPECT_EQ(t.uses[0].where.line, 7);
    EXPECT_EQ(t.uses[1].role, name_role::read);
    EXPECT_EQ(t.uses[1].where.column, 5);
    EXPECT_EQ(t.uses[2].role, name_role::flag_test);
    EXPECT_EQ(result.variables[3].name, "q");
    EXPECT_EQ(result.variables[3].kind, name_class::undeclared);
    ASSERT_EQ(result.labels.size(), 1u);
    EXPECT_EQ(result.labels[0].declaration.line, 8);
    EXPECT_EQ(result.labels[0].declaration.column, 7);
    ASSERT_EQ(result.labels[0].uses.size(), 2u);
    EXPECT_EQ(result.labels[0].uses[1].where.line, 10);
    EXPECT_EQ(result.labels[0].uses[1].where.column, 22);
    // goto, assignment, label, assignment, goto inside the if, the if.
    ASSERT_EQ(result.statements.size(), 6u);
    EXPECT_EQ(result.statements[0].kind, statement_kind::jump);
    EXPECT_EQ(result.statements[5].where.line, 10);
    EXPECT_EQ(result.statements[5].where.end_column, 30);
}

}  // namespace
