// What formcomp does where a source would otherwise overrun a table, lose
// part of a name, or leave a file half written: a message with the line,
// exit code 1, no file, nothing written past any table.
#include "formcomp_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace formcomp_test;

std::string repeated(const std::string &text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

void expect_failed_without_files(const process_result &run, const std::string &output) {
    EXPECT_EQ(run.standard_output, output);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(run.files.empty());
}

TEST(LongNames, NamesAndNumbersOfMoreThan19CharactersFailTheCompile) {
    const std::string nineteen = "abcdefghijklmnopqrs";
    process_result fits = run_formcomp_program("method F input " + nineteen + "; proc endp", "-b");
    EXPECT_EQ(fits.exit_code, 0);
    EXPECT_EQ(fits.files["F.sym"], "11 " + nineteen);

    // Two names that differ only after 19 characters never become one variable.
    process_result run = run_formcomp_program("method F\ninput " + nineteen + "_first;\noutput " + nineteen +
                                      "_second;\nproc endp");
    expect_failed_without_files(
        run, "Nome " + nineteen + "_first troppo lungo (massimo 19 caratteri) linea 2\n"
             "Nome " + nineteen + "_second troppo lungo (massimo 19 caratteri) linea 3\n"
             "Variabile " + nineteen + " ridefinita linea 3\n");

    process_result number = run_formcomp_program("method F input a; proc\na = 1234567890.123456789;\nendp");
    expect_failed_without_files(number,
                                "Numero 1234567890.123456789 troppo lungo (massimo 19 caratteri) linea 2\n");
}

TEST(LongNames, FormulaNameWiderThanTheHeader) {
    process_result run = run_formcomp_program("// premium\nmethod PREMIUM2X\ninput a;\nproc\nendp", "-d");
    expect_failed_without_files(run, "Nome della formula PREMIUM2X troppo lungo (massimo 8 caratteri) linea 2\n");
    // Without a header the host writes its own: any name gives its files.
    process_result no_header = run_formcomp_program("method ABCDEFGHIJKLMNOPQRS input a; proc endp", "-b");
    EXPECT_EQ(no_header.exit_code, 0);
    EXPECT_EQ(no_header.files["ABCDEFGHIJKLMNOPQRS.obj"], "1  99");
}

TEST(Capacities, SymbolTableHolds1023Entries) {
    auto declarations = [](int count) {
        std::string text = "method F\ninput v1";
        for (int i = 2; i <= count; ++i) text += ",\nv" + std::to_string(i);
        return text + ";\nproc\n";
    };
    process_result full = run_formcomp_program(declarations(1022) + "v1 = 7;\nendp");
    EXPECT_EQ(full.exit_code, 0);
    EXPECT_EQ(full.files["F.sym"].substr(8, 4), "1023");

    // Name vN stands on line N + 1. The 1024th symbol is the constant 7 on
    // line 1026, or the name v1024 on line 1025; names that found no room
    // are not reported again as undefined.
    expect_failed_without_files(run_formcomp_program(declarations(1023) + "v1 = 7;\nv2 = 7;\nendp"),
                                "Troppe variabili e costanti (massimo 1023) linea 1026\n");
    expect_failed_without_files(run_formcomp_program(declarations(1030) + "v1030 = v1;\nendp", "-d"),
                                "Troppe variabili e costanti (massimo 1023) linea 1025\n");
}

TEST(Capacities, LabelTableHolds63Labels) {
    auto labels = [](int count) {
        std::string text = "method F\ninput a;\nproc\n";
        for (int i = 1; i <= count; ++i) text += "goto L" + std::to_string(i) + "\n";
        for (int i = 1; i <= count; ++i) text += "label L" + std::to_string(i) + ":\n";
        return text + "endp";
    };
    process_result full = run_formcomp_program(labels(63), "-b");
    EXPECT_EQ(full.exit_code, 0);
    // Every jump carries the address of the final STOP.
    EXPECT_EQ(full.files["F.obj"], repeated("3 127" "1  19", 63) + "1  99");
    expect_failed_without_files(run_formcomp_program(labels(70)), "Troppe label (massimo 63) linea 67\n");
}

TEST(Capacities, CodeTableHolds4095Instructions) {
    // Each "return" is one instruction; the final STOP is one more.
    auto returns = [](int count, const std::string &more = "") {
        return "method F\ninput a;\nproc\n" + repeated("return\n", count) + more + "endp";
    };
    process_result full = run_formcomp_program(returns(4094), "-b");
    EXPECT_EQ(full.exit_code, 0);
    EXPECT_EQ(full.files["F.obj"].size(), 20475u);
    expect_failed_without_files(run_formcomp_program(returns(4095)),
                                "Troppe istruzioni (massimo 4095) linea 4099\n");
    // Once full, later jumps and labels stay inside the table.
    expect_failed_without_files(
        run_formcomp_program(returns(5000, "goto X goto X\nlabel X:\nwhile (a > 0) end\n"), "-d"),
        "Troppe istruzioni (massimo 4095) linea 4099\n");
}

TEST(Capacities, NestingHolds50OpenPlaceholders) {
    auto nested_ifs = [](int depth) {
        return "method F\ninput a;\nproc\n" + repeated("if a > 0 then\n", depth) + "a = 1;\n" +
               repeated("end\n", depth) + "endp";
    };
    process_result fifty = run_formcomp_program(nested_ifs(50));
    EXPECT_EQ(fifty.exit_code, 0);
    // The outermost "if" jumps past everything: to the final STOP.
    expect_failed_without_files(run_formcomp_program(nested_ifs(51)),
                                "Troppi if e while annidati (massimo 50) linea 54\n");
    // Each open "while" holds two entries; every pop stays paired with its
    // push, so no "Stack sfondato!" follows.
    auto nested_whiles = [](int depth) {
        return "method F\ninput a;\nproc\n" + repeated("while (a > 0)\n", depth) + "a = 1;\n" +
               repeated("end\n", depth) + "endp";
    };
    EXPECT_EQ(run_formcomp_program(nested_whiles(25)).exit_code, 0);
    expect_failed_without_files(run_formcomp_program(nested_whiles(40)),
                                "Troppi if e while annidati (massimo 50) linea 29\n");
}

TEST(OutputFiles, AFileThatCannotBeWrittenIsReportedAndLeavesNoHalfPair) {
    scratch_folder folder;
    const std::filesystem::path &dir = folder.path();
    std::filesystem::create_directory(dir / "F.sym");  // F.sym cannot be replaced
    write_file(dir / "F.obj", "previous");
    process_result run = run_formcomp_program_in(dir, "method F input a;\nproc\nendp\n");
    EXPECT_EQ(run.standard_output, "Impossibile scrivere il file F.sym linea 3\n");
    EXPECT_EQ(run.exit_code, 1);
    // The previous code file stays; no temporary file is left.
    EXPECT_EQ(run.files, (std::map<std::string, std::string>{{"F.obj", "previous"}, {"F.sym", "<folder>"}}));
}

TEST(OutputFiles, ACodeFileThatCannotBePutInPlaceKeepsThePreviousPair) {
    scratch_folder folder;
    const std::filesystem::path &dir = folder.path();
    std::filesystem::create_directory(dir / "F.obj");
    write_file(dir / "F.sym", "previous");
    process_result run = run_formcomp_program_in(dir, "method F input a;\nproc\n\nendp\n", "-d");
    EXPECT_EQ(run.standard_output.substr(run.standard_output.find("Pol: #")),
              "Pol: #ord        tipo  riferimento\n"
              "Pol:   1   Operatore     STOP\n"
              "Impossibile scrivere il file F.obj linea 4\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.files, (std::map<std::string, std::string>{{"F.obj", "<folder>"}, {"F.sym", "previous"}}));
    // Without a previous symbol file, the new one does not stay alone.
    std::filesystem::remove(dir / "F.sym");
    process_result alone = run_formcomp_program_in(dir, "method F input a; proc endp");
    EXPECT_EQ(alone.standard_output, "Impossibile scrivere il file F.obj linea 1\n");
    EXPECT_EQ(alone.files, (std::map<std::string, std::string>{{"F.obj", "<folder>"}}));
}

TEST(OutputFiles, ExistingFilesAreReplaced) {
    scratch_folder folder;
    write_file(folder.path() / "F.sym", "old symbols that were longer than the new ones");
    write_file(folder.path() / "F.obj", "old");
    process_result run = run_formcomp_program_in(folder.path(), "method F input a; proc endp", "-b");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.files, (std::map<std::string, std::string>{
                             {"F.sym", "11                   a"}, {"F.obj", "1  99"}}));
}

}  // namespace
