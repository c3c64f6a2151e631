// Checks the playground's number texts (playground/wasm/number_text_portable.cpp,
// compiled here into namespace portable) against formeval's own, which use
// to_chars and from_chars: every power of two and its neighbours, random bit
// patterns, everyday amounts and the odd spellings from_chars takes or refuses.
// Prints each difference and exits 1 when there is one.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "tools/formeval/number_text.h"

namespace portable {
std::optional<double> parse_number(std::string_view text);
void append_shortest_text(std::string &out, double value);
void append_plain_number(std::string &out, double value);
}  // namespace portable

namespace {

long differences = 0;

void report(const char *what, const std::string &text, const std::string &expected, const std::string &found) {
    if (differences++ < 20) std::printf("%s %s: %s, not %s\n", what, text.c_str(), found.c_str(), expected.c_str());
}

bool same_value(const std::optional<double> &a, const std::optional<double> &b) {
    if (a.has_value() != b.has_value()) return false;
    if (!a) return true;
    return std::memcmp(&*a, &*b, sizeof(double)) == 0 || (std::isnan(*a) && std::isnan(*b));
}

void check_parse(const std::string &text) {
    const auto expected = formeval::parse_number(text);
    const auto found = portable::parse_number(text);
    if (!same_value(expected, found))
        report("parse", text, expected ? formeval::shortest_text(*expected) : "refused",
               found ? formeval::shortest_text(*found) : "refused");
}

void check(double value) {
    std::string expected, found;
    formeval::append_shortest_text(expected, value);
    portable::append_shortest_text(found, value);
    if (expected != found) report("shortest", expected, expected, found);
    expected.clear();
    found.clear();
    formeval::append_plain_number(expected, value);
    portable::append_plain_number(found, value);
    if (expected != found) report("plain", expected, expected, found);
    check_parse(expected);
}

}  // namespace

int main() {
    for (double value : {0.0, 1.0, 0.1, 0.3, 1e5, 1e15, 1e16, 1e-5, 9.999999e-6, 1e21, 1e22, 1e23, 5e-324,
                         2.2250738585072014e-308, 1.7976931348623157e308, 1.005, 123.456, 1e100,
                         9007199254740993.0, 123456789012345680000.0, HUGE_VAL, std::nan("")}) {
        check(value);
        check(-value);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        const double power = std::ldexp(1.0, exponent);
        check(power);
        check(std::nextafter(power, 0.0));
        check(std::nextafter(power, HUGE_VAL));
    }
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        check(value);
    }
    std::uniform_real_distribution<double> amounts(-1e6, 1e6);
    for (int i = 0; i < 20000; ++i) {
        const double value = amounts(random);
        check(value);
        check(std::round(value * 100) / 100);
    }
    for (const char *text : {"1e400", "-1e400", "1e-400", "4.9e-324", "2e-324", "2.4703282292062328e-324", "1e-320",
                             ".5", "5.", "-.5", "-", "e5", "1e", "1e+", "0x10", "infinity", "INF", "inFINity", "infinit",
                             "nan(123)", "-nan", "NaN", "nan()", "nan(a_1)", "nan(", "nan(a b)", "1.5E3", "00012",
                             "1_0", " 1", "1 ", "--1", "+5", "++5", "+-5", "-+5", "", ".", "0e999999999999",
                             "1e-99999999999", "1e5x"})
        check_parse(text);
    std::printf("%ld differences\n", differences);
    return differences == 0 ? 0 : 1;
}
