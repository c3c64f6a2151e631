// formeval's number texts (one policy over the platform's two conversions)
// against the C++ library's own: shortest_text as to_chars writes a double,
// append_plain_number as to_chars writes it in fixed notation for everyday
// magnitudes, parse_number as from_chars reads a whole text. Over every power
// of two and its neighbours (where the digits are hardest to get right),
// random bit patterns and the odd spellings.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/formeval/number_text.h"

namespace {

std::string library_text(double value, bool fixed) {
    char buffer[400];
    const auto [end, error] = fixed ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                                    : std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

double from_bits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<double> hard_doubles() {
    std::vector<double> values;
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        const double power = std::ldexp(1.0, exponent);
        values.insert(values.end(), {power, std::nextafter(power, 0.0), std::nextafter(power, INFINITY)});
    }
    std::mt19937_64 generator(20261208);
    while (values.size() < 60000) {
        const double value = from_bits(generator());
        if (std::isfinite(value)) values.push_back(value);
    }
    for (double value : {0.0, 1e22, 1e21, 1e23, 9007199254740993.0, 0.1, 1.005, 1e-5, 9.999999e-6, 1e16, 123456.0,
                         std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()})
        values.push_back(value);
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i) values.push_back(-values[i]);
    return values;
}

TEST(NumberText, WritesWhatToCharsWrites) {
    for (const double value : hard_doubles()) {
        ASSERT_EQ(formeval::shortest_text(value), library_text(value, false)) << library_text(value, false);
        const double magnitude = std::fabs(value);
        const bool everyday = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16);
        std::string plain;
        formeval::append_plain_number(plain, value);
        ASSERT_EQ(plain, library_text(value, everyday)) << library_text(value, false);
    }
    EXPECT_EQ(formeval::shortest_text(NAN), "nan");
    EXPECT_EQ(formeval::shortest_text(-INFINITY), "-inf");
}

TEST(NumberText, ReadsWhatFromCharsReads) {
    std::vector<std::string> texts;
    for (const double value : hard_doubles()) texts.push_back(library_text(value, false));
    texts.insert(texts.end(), {"5.", ".5", "-.5", "00012", "1.5E3", "1e-320", "1e-400", "1e400", "-0", "1e", "1e+",
                               ".", "-", "", " 1", "1 ", "0x10", "1,5", "--1", "-+1"});
    for (const std::string &text : texts) {
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        const bool read = error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
        const auto parsed = formeval::parse_number(text);
        ASSERT_EQ(parsed.has_value(), read) << text;
        if (read) {
            ASSERT_EQ(std::memcmp(&*parsed, &value, sizeof value), 0) << text;
        }
    }
    // A "+" before the number; "inf" and "nan" are not numbers here.
    EXPECT_EQ(formeval::parse_number("+2.5"), 2.5);
    EXPECT_EQ(formeval::parse_number("++2"), std::nullopt);
    EXPECT_EQ(formeval::parse_number("inf"), std::nullopt);
    EXPECT_EQ(formeval::parse_number("-nan"), std::nullopt);
}

}  // namespace
