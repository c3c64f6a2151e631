// A thousand compiles through the library in one process, good and bad
// sources mixed, each compared with a fresh run of the formcomp program.
#include "compiler/compile.h"
#include "formcomp_program.h"

#include <gtest/gtest.h>

#include <map>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace formcomp_test;

const char *const seeds[] = {
    "method CALC input A; output R; proc R = A * 2; endp",
    "method F\ninput a;\noutput r;\nproc\nif a > 0 then r = 1; else r = 2; end\nendp\n",
    "method F input a; output r; proc while (a > 0) a = a - 1; end r = a; endp",
    "method F input a, b; output r; local t; static s;\nproc\ngoto L\nt = round(a, 2);\nlabel L:\n"
    "if not isin(t) and b <= 3 then r = ceil(b, 1) % 5; else r = floor(a mod b, 0); end\n"
    "message r errmsg s return\nendp",
    "method F\ninput a, x;\noutput x;\nproc\nr = y\n  + y;\nif isin(q) then\nend\nendp\n",
    "method F input a; proc goto Missing label Twice: label Twice: endp",
    "method LONGNAME9 input a; proc a = 123456789012345678901; endp",
    "method F input a; proc a = 1; endp trailing",
    "method F input a; proc /* unterminated",
};

const char *const pieces[] = {"if ", "then ", "else ", "end ", "while (", ")", "goto L ", "label L: ",
                              "a = 1;", "(", "not ", "isin(a)", "endp", "return ", "x", "1.5", "=",
                              ";", "\n", "/*", "*/", "//", "\r\n", "\xe9", "input ", ",", "-"};

// The seeds, then variants with a few pieces inserted, bytes removed or
// single bytes inserted, from a fixed random sequence.
std::vector<std::string> mixed_sources(std::size_t count) {
    std::mt19937 random(12);
    std::vector<std::string> sources(std::begin(seeds), std::end(seeds));
    while (sources.size() < count) {
        std::string source = seeds[random() % std::size(seeds)];
        for (unsigned edits = 1 + random() % 3; edits > 0; --edits) {
            std::size_t at = random() % (source.size() + 1);
            switch (random() % 3) {
                case 0: source.insert(at, pieces[random() % std::size(pieces)]); break;
                case 1: source.erase(at, 1 + random() % 4); break;
                default: source.insert(at, 1, static_cast<char>(random() % 256)); break;
            }
        }
        sources.push_back(source);
    }
    return sources;
}

std::string arguments_of(std::size_t i) {
    return std::string(i % 2 == 1 ? "-d " : "") + (i % 3 == 2 ? "-b" : "");
}

// Runs formcomp once for each source, each in a folder of its own, all from
// one shell script (starting a shell per run would cost more than the runs).
std::vector<process_result> run_program_on_each(const std::vector<std::string> &sources) {
    namespace fs = std::filesystem;
    scratch_folder work;
    std::string script;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        std::string n = std::to_string(i);
        write_file(work.path() / ("s" + n), sources[i]);
        fs::create_directory(work.path() / ("d" + n));
        script += "cd d" + n + " && '" FORMCOMP_PATH "' " + arguments_of(i) + " < ../s" + n + " > ../o" + n +
                  " 2> ../e" + n + "; echo $? > ../c" + n + "; cd ..\n";
    }
    write_file(work.path() / "run.sh", script);
    std::string command = "cd '" + work.path().string() + "' && sh run.sh";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("shell failed");
    std::vector<process_result> results(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        std::string n = std::to_string(i);
        results[i].standard_output = read_file(work.path() / ("o" + n));
        results[i].standard_error = read_file(work.path() / ("e" + n));
        results[i].exit_code = std::stoi(read_file(work.path() / ("c" + n)));
        for (const fs::directory_entry &entry : fs::directory_iterator(work.path() / ("d" + n))) {
            results[i].files[entry.path().filename().string()] = read_file(entry.path());
        }
    }
    return results;
}

TEST(CompileLibrary, AThousandCompilesInOneProcessEachEqualToAFreshFormcompRun) {
    int failures = 0;
    std::vector<std::string> sources = mixed_sources(1000);
    std::vector<process_result> programs = run_program_on_each(sources);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string &source = sources[i];
        std::string arguments = arguments_of(i);
        formcomp::compile_settings settings;
        settings.debug_listing = i % 2 == 1;
        settings.write_header = i % 3 != 2;
        formcomp::compile_result library = formcomp::compile_source(source, settings);
        const process_result &program = programs[i];

        std::map<std::string, std::string> texts;
        if (!library.texts.symbol_name.empty()) texts[library.texts.symbol_name] = library.texts.symbol_text;
        if (!library.texts.code_name.empty()) texts[library.texts.code_name] = library.texts.code_text;
        bool same = library.exit_code == program.exit_code &&
                    library.standard_output == program.standard_output &&
                    library.standard_error == program.standard_error && texts == program.files;
        // Every message the library lists is one that was printed, in order.
        std::size_t position = 0;
        for (const formcomp::compile_message &message : library.messages) {
            const std::string &stream = message.kind == formcomp::message_kind::scanner_failure
                                            ? program.standard_error
                                            : program.standard_output;
            std::size_t found = stream.find(message.text, message.kind == formcomp::message_kind::scanner_failure ? 0 : position);
            same = same && found != std::string::npos;
            if (found != std::string::npos && stream == program.standard_output) position = found + message.text.size();
        }
        same = same && (library.exit_code == 0) == library.messages.empty();
        if (!same && ++failures <= 3) {
            ADD_FAILURE() << "source " << i << " (" << arguments << "):\n" << source << "\nlibrary:\n"
                          << library.standard_output << "\nprogram:\n" << program.standard_output;
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
