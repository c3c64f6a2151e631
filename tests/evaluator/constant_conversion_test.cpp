// Constants must get exactly what the C library's strtod gives in the "C"
// locale: the fast paths for digits[.digits] (general, for the symbol
// record's 20-character field, and for the short literals read inline) are
// checked bit for bit against strtod, and the whole conversion against a host
// locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "evaluator/constant_conversion.h"
#include "evaluator/record_fields.h"
#include "formula_builder.h"

namespace {

std::uint64_t bits(double value) {
    std::uint64_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

// The literal right-aligned in its 20-character field, as the symbol text has it.
std::string field(const std::string &literal) {
    return std::string(literal.size() < 20 ? 20 - literal.size() : 0, ' ') + literal;
}

// strtod in the test's own locale, which is "C" unless a test changes it.
double c_library_value(const std::string &text) { return std::strtod(text.c_str(), nullptr); }

std::vector<std::string> edge_literals() {
    return {
        "0", "0.0", "00000000000000000000", "1", "2", "2.5", "9.99", " 1.5", "12.5", "1 .5", "0.1", "0.2", "0.3", "1.005", "2.345",
        "123.456", "9007199254740991", "9007199254740992", "9007199254740993", "18014398509481985",
        "1234567890123456789", "99999999999999999999", "0.000000000000000000001",
        "0.0000000000000000000001", "0.00000000000000000000001", "1.0000000000000000000",
        "4503599627370495.5", "4503599627370497.5", "0.9999999999999999", "1e5", "2.", ".5", "12abc",
        "-3.25", "+4", "0x10", "inf", "nan", "1,5", "", "  ", "1.7976931348623157e308", "1e400", "5e-324",
        "8.98846567431158e307", "0.30000000000000004", "1.2.3",
    };
}

TEST(ConstantConversion, EdgeLiteralsMatchStrtodBitForBit) {
    for (const std::string &literal : edge_literals()) {
#ifdef _WIN32
        // Windows' C runtime (msvcrt) reads decimal numbers only and gives 0
        // here; the test's strtod is MinGW's C99 one, which reads these too.
        if (literal == "0x10" || literal == "inf" || literal == "nan") continue;
#endif
        std::string text = field(literal).substr(0, 20);
        double expected = c_library_value(text);
        double actual = zerizi::constant_value(text);
        double from_field = zerizi::constant_field_value(text.c_str());
        double inline_read = zerizi::constant_field(text.c_str());
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(actual)) << '"' << literal << '"';
            EXPECT_TRUE(std::isnan(from_field)) << '"' << literal << '"';
            EXPECT_TRUE(std::isnan(inline_read)) << '"' << literal << '"';
        } else {
            EXPECT_EQ(bits(actual), bits(expected)) << '"' << literal << '"';
            EXPECT_EQ(bits(from_field), bits(expected)) << '"' << literal << '"';
            EXPECT_EQ(bits(inline_read), bits(expected)) << '"' << literal << '"';
        }
    }
}

TEST(ConstantConversion, RandomLiteralsMatchStrtodBitForBit) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> length(1, 20);
    std::uniform_int_distribution<int> digit(0, 9);
    int fast = 0;
    const int literals = 200000;
    for (int n = 0; n < literals; ++n) {
        int total = length(random);
        int point = std::uniform_int_distribution<int>(0, total - 1)(random);  // 0: no point
        std::string literal;
        for (int k = 0; k < total; ++k) {
            if (point > 0 && k == point && k < total - 1) {
                literal += '.';
                continue;
            }
            literal += static_cast<char>('0' + digit(random));
        }
        std::string text = field(literal);
        double expected = c_library_value(text);
        double actual = zerizi::constant_value(text);
        ASSERT_EQ(bits(actual), bits(expected)) << '"' << literal << '"';
        ASSERT_EQ(bits(zerizi::constant_field_value(text.c_str())), bits(expected)) << '"' << literal << '"';
        ASSERT_EQ(bits(zerizi::constant_field(text.c_str())), bits(expected)) << '"' << literal << '"';
        double unused;
        fast += zerizi::exact_decimal_value(text, unused);
    }
    // Most literals of twenty characters or fewer take the fast path.
    EXPECT_GT(fast, literals / 2);
}

TEST(ConstantConversion, FastPathRefusesWhatItCannotConvertExactly) {
    double value = 0;
    EXPECT_TRUE(zerizi::exact_decimal_value(field("2.5"), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_TRUE(zerizi::exact_decimal_value(field("9007199254740991"), value));
    EXPECT_TRUE(zerizi::exact_decimal_value(field("0.0000000000000000000001"), value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field("9007199254740992"), value));
    EXPECT_FALSE(zerizi::exact_decimal_value("0.00000000000000000000001", value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field("2."), value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field(".5"), value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field("1e5"), value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field("-1"), value));
    EXPECT_FALSE(zerizi::exact_decimal_value("2.5 ", value));
    EXPECT_FALSE(zerizi::exact_decimal_value(field(""), value));
}

// A host that runs in a locale with a decimal comma still gets 2.5 for "2.5".
// The test's CTest registration provides an it_IT.UTF-8 locale through LOCPATH
// when localedef can build one; otherwise the installed locales are tried.
TEST(ConstantConversion, HostLocaleWithDecimalCommaDoesNotMatter) {
    const char *candidates[] = {"it_IT.UTF-8", "it_IT.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                                "Italian"};
    std::string previous = std::setlocale(LC_ALL, nullptr);
    const char *chosen = nullptr;
    for (const char *name : candidates) {
        if (std::setlocale(LC_ALL, name) && std::strtod("2,5", nullptr) == 2.5) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) {
        std::setlocale(LC_ALL, previous.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed (tried it_IT, de_DE, fr_FR)";
    }
    // Both the fast path and the C library fallback.
    EXPECT_EQ(zerizi::constant_value(field("2.5")), 2.5);
    EXPECT_EQ(zerizi::constant_value(field("1e-1")), 0.1);
    EXPECT_EQ(zerizi::constant_value(field("12345678901234567.5")), 12345678901234567.5);
    test_support::formula_builder f;
    int r = f.output("R");
    int c = f.constant("0.25");
    int d = f.constant("123456789012345678.5");
    f.operand(c);
    f.operand(d);
    f.op(formula::PLUS);
    f.assign_to(r);
    f.op(formula::STOP);
    double result = f.build().evaluate();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(result, 0.25 + 123456789012345678.5) << "in locale " << chosen;
}

}  // namespace
