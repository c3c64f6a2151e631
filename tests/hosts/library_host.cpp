// A host application in miniature: loads ZERIZI or VENTUS at run time, calls
// one export by its plain name and prints what came back. The same program is
// built for Linux and for Windows, so the two builds of a library can be
// compared on the same calls (scripts/windows-checks.sh).
//
//   library_host LIBRARY Formula SYMBOL_FILE CODE_FILE [INPUT...]
//   library_host LIBRARY Formula-list LIST_FILE
//     (one evaluation per line of LIST_FILE: SYMBOL_FILE CODE_FILE [INPUT...],
//     separated by blanks; one result line each, after the symbol file's name)
//   library_host LIBRARY SortList|SortList2 LIST
//   library_host LIBRARY ReplChar SOURCE TARGET OLD_CHAR NEW_CHAR
//   library_host LIBRARY ConvertToUnicode|ConvertToAnsi SOURCE TARGET
//   library_host LIBRARY RMDcalc PATH
//   library_host LIBRARY VEDIVAR PATH NAME
//   library_host LIBRARY DefaultPrinter
//   library_host LIBRARY RunPrg PROGRAM [ARGUMENT...]   (at most five arguments)
//
// Output: one line, the export's result first. Exit code 0 when the export was
// called, 2 for a usage error, 3 when the library or the export is missing.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_library.h"
#include "ventus.h"
#include "zerizi.h"

namespace {

struct export_call {
    const platform::shared_library &library;
    const char *name;
    std::vector<const char *> arguments;

    template <typename Export>
    Export find() const {
        auto function = library.function(name);
        if (function == nullptr) {
            std::fprintf(stderr, "library_host: no export %s\n", name);
            std::exit(3);
        }
        return reinterpret_cast<Export>(function);
    }
};

[[noreturn]] void usage() {
    std::fputs("usage: library_host LIBRARY EXPORT ARGUMENT...\n", stderr);
    std::exit(2);
}

std::optional<std::string> read_file(const char *path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int32_t number(const char *text) { return static_cast<int32_t>(std::strtol(text, nullptr, 0)); }

int call_formula(const export_call &call);

int call_formula_list(const export_call &call) {
    if (call.arguments.size() != 1) usage();
    std::ifstream list(call.arguments[0]);
    if (!list) {
        std::fputs("library_host: cannot read the list\n", stderr);
        return 2;
    }
    int status = 0;
    for (std::string line; std::getline(list, line);) {
        std::vector<std::string> words;
        std::size_t start = 0;
        while ((start = line.find_first_not_of(' ', start)) != std::string::npos) {
            const std::size_t end = std::min(line.find(' ', start), line.size());
            words.push_back(line.substr(start, end - start));
            start = end;
        }
        if (words.empty()) continue;
        export_call one{call.library, "Formula", {}};
        for (const std::string &word : words) one.arguments.push_back(word.c_str());
        std::printf("%s: ", words[0].c_str());
        std::fflush(stdout);
        if (call_formula(one) != 0) status = 2;
    }
    return status;
}

int call_formula(const export_call &call) {
    if (call.arguments.size() < 2) usage();
    auto symbols = read_file(call.arguments[0]);
    auto code = read_file(call.arguments[1]);
    if (!symbols || !code) {
        std::fputs("library_host: cannot read the compiled formula\n", stderr);
        return 2;
    }
    // Element 0 is the result; every input variable takes one element, so the
    // array is larger than any formula's inputs here, unused elements 0.
    std::vector<double> values(1 + std::max<std::size_t>(call.arguments.size(), 1024), 0.0);
    for (std::size_t i = 2; i < call.arguments.size(); ++i)
        values[i - 1] = std::strtod(call.arguments[i], nullptr);
    const char *const texts[2] = {symbols->c_str(), code->c_str()};
    int32_t result = call.find<decltype(&Formula)>()(values.data(), texts);
    uint64_t bits;
    std::memcpy(&bits, &values[0], sizeof bits);
    std::printf("%" PRId32 " %.17g %016" PRIx64 "\n", result, values[0], bits);
    return 0;
}

int call_sort(const export_call &call) {
    if (call.arguments.size() != 1) usage();
    std::string result(std::strlen(call.arguments[0]) + 1, '\0');
    int32_t status = call.find<decltype(&SortList)>()(call.arguments[0], result.data());
    std::printf("%" PRId32 " [%s]\n", status, result.c_str());
    return 0;
}

int call_replace(const export_call &call) {
    if (call.arguments.size() != 4) usage();
    const auto &a = call.arguments;
    std::printf("%" PRId32 "\n",
                call.find<decltype(&ReplChar)>()(a[0], a[1], number(a[2]), number(a[3])));
    return 0;
}

int call_convert(const export_call &call) {
    if (call.arguments.size() != 2) usage();
    const auto &a = call.arguments;
    std::printf("%" PRId32 "\n", call.find<decltype(&ConvertToUnicode)>()(a[0], a[1]));
    return 0;
}

int call_digest(const export_call &call) {
    if (call.arguments.size() != 1) usage();
    char digest[64] = "(unchanged)";
    int32_t status = call.find<decltype(&RMDcalc)>()(call.arguments[0], digest);
    std::printf("%" PRId32 " %s\n", status, digest);
    return 0;
}

int call_memory_variable(const export_call &call) {
    if (call.arguments.size() != 2) usage();
    std::string value(10001, '\0');
    std::strcpy(value.data(), "(unchanged)");
    int32_t status = call.find<decltype(&VEDIVAR)>()(call.arguments[0], call.arguments[1],
                                                       value.data());
    std::printf("%" PRId32 " [%s]\n", status, value.c_str());
    return 0;
}

int call_default_printer(const export_call &call) {
    if (!call.arguments.empty()) usage();
    char device[129] = "?", driver[129] = "?", port[129] = "?";
    int32_t status = call.find<decltype(&DefaultPrinter)>()(device, driver, port);
    std::printf("%" PRId32 " [%s] [%s] [%s]\n", status, device, driver, port);
    return 0;
}

int call_run(const export_call &call) {
    if (call.arguments.empty() || call.arguments.size() > 6) usage();
    const char *a[6] = {};
    for (std::size_t i = 0; i < call.arguments.size(); ++i) a[i] = call.arguments[i];
    std::printf("%" PRId32 "\n", call.find<decltype(&RunPrg)>()(a[0], a[1], a[2], a[3], a[4], a[5]));
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) usage();
    platform::shared_library library(argv[1]);
    if (!library.loaded()) {
        std::fprintf(stderr, "library_host: cannot load %s\n", argv[1]);
        return 3;
    }
    export_call call{library, argv[2], std::vector<const char *>(argv + 3, argv + argc)};
    std::string name = argv[2];
    int status;
    if (name == "Formula") status = call_formula(call);
    else if (name == "Formula-list") status = call_formula_list(call);
    else if (name == "SortList" || name == "SortList2") status = call_sort(call);
    else if (name == "ReplChar") status = call_replace(call);
    else if (name == "ConvertToUnicode" || name == "ConvertToAnsi") status = call_convert(call);
    else if (name == "RMDcalc") status = call_digest(call);
    else if (name == "VEDIVAR") status = call_memory_variable(call);
    else if (name == "DefaultPrinter") status = call_default_printer(call);
    else if (name == "RunPrg") status = call_run(call);
    else usage();
    std::fflush(stdout);
    return status;
}
