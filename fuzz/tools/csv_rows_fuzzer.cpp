// Arbitrary bytes as the CSV file of formeval --csv, cut into blocks of a
// size that the first byte chooses and taken row by row by the evaluator of a
// two-input formula. Whatever the bytes, every output line must be three
// fields that read back as numbers (or a result's inf or nan), and the rows
// evaluated must be the output lines after the header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/loaded_formula.h"
#include "tools/formeval/number_text.h"

namespace {

// method F input a, b; output r; static s; proc s = s + a; r = round(s * b, 2) - a mod 7; endp
// (no division: a zero divisor would print the evaluator's message for every row).
const char symbol_text[] =
    "       F   6"
    "11                   a"
    "11                   b"
    "12                   r"
    "15                   s"
    "31                   2"
    "31                   7";
const char code_text[] =
    "       F  17"
    "2   42   11   23   41   12   42   21   42   51  232   12   61   81   33   31   11  99";

// A result as formeval writes it: a number, or the infinity or NaN that a
// formula can compute although no input may be one.
bool is_result_text(const std::string &text) {
    return formeval::parse_number(text) || text == "inf" || text == "-inf" || text == "nan" || text == "-nan";
}

void check_output(const std::string &out, std::size_t &lines) {
    std::vector<std::string> fields;
    std::size_t count = 0;
    std::string error;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        ++lines;
        const std::string_view line(out.data() + start, end - start);
        if (!formeval::split_fields(line, fields, count, error) || count != 3) std::abort();
        if (lines == 1) continue;  // the header
        for (std::size_t i = 0; i < count; ++i)
            if (!is_result_text(fields[i])) std::abort();
    }
    if (start != out.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t block = std::size_t{data[0]} + 1;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);

    formeval::loaded_formula formula(symbol_text, code_text);
    formeval::csv_evaluator evaluator(formula, "fuzz.csv", nullptr);
    std::string out = evaluator.header();
    std::string error;
    std::size_t lines = 0;
    auto take = [&](std::string_view line) {
        const bool taken = evaluator.take_line(line, out, error);
        if (!taken && error.empty()) std::abort();
        return taken;
    };
    formeval::line_splitter splitter;
    formeval::split_status status = formeval::split_status::ok;
    for (std::size_t at = 0; at < bytes.size() && status == formeval::split_status::ok; at += block)
        status = splitter.feed(bytes.substr(at, block), take);
    if (status == formeval::split_status::ok) status = splitter.finish(take);
    check_output(out, lines);
    if (lines != static_cast<std::size_t>(evaluator.rows_evaluated()) + 1) std::abort();
    return 0;
}
