#include <gtest/gtest.h>

#include <string>

#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;

const char character_type = '\xC3';
const char logical_type = '\xCC';

// One record: the name in 11 bytes, the type, 20 bytes of filler, the value.
std::string record(const std::string &name, char type, const std::string &value) {
    std::string bytes = name;
    bytes.resize(11, '\0');
    bytes += type;
    bytes += std::string(20, '\x7E');
    return bytes + value;
}

std::string text_value(const std::string &text) { return text + std::string(1, '\0'); }

class VedivarTest : public ::testing::Test {
protected:
    // Looks name up in a file holding bytes; value starts as "untouched".
    int look_up(const std::string &bytes, const std::string &name) {
        write_file(path, bytes);
        value = std::string(20000, '#');
        value.replace(0, 10, "untouched");
        value[9] = '\0';
        return VEDIVAR(path.c_str(), name.c_str(), value.data());
    }
    std::string value_text() const { return value.c_str(); }

    temporary_folder folder;
    std::string path = folder.file("vars.mem");
    std::string value;
};

TEST_F(VedivarTest, CharacterAndLogicalValues) {
    const std::string file = record("NOME", character_type, text_value("Mario Rossi")) +
                             record("ATTIVO", logical_type, std::string(1, '\1') + "pad") +
                             record("SPENTO", logical_type, std::string(1, '\0') + "pad") +
                             record("ALTRO", logical_type, std::string(1, '\x40') + "pad") +
                             record("VUOTO", character_type, text_value("")) +
                             record("NUMERO", '\xCE', "12345678") + "trailing";
    EXPECT_EQ(look_up(file, "NOME"), 1);
    EXPECT_EQ(value_text(), "Mario Rossi");
    EXPECT_EQ(look_up(file, "ATTIVO"), 1);
    EXPECT_EQ(value_text(), "T");
    EXPECT_EQ(look_up(file, "SPENTO"), 1);
    EXPECT_EQ(value_text(), "F");
    EXPECT_EQ(look_up(file, "ALTRO"), 1);
    EXPECT_EQ(value_text(), "T");
    EXPECT_EQ(look_up(file, "VUOTO"), 1);
    EXPECT_EQ(value_text(), "");
    // A type that is not converted leaves the value as it was.
    EXPECT_EQ(look_up(file, "NUMERO"), 1);
    EXPECT_EQ(value_text(), "untouched");
    // Names are compared byte for byte.
    EXPECT_EQ(look_up(file, "nome"), -1);
    EXPECT_EQ(value_text(), "untouched");
}

TEST_F(VedivarTest, TheNulAfterTheNameMustMatch) {
    const std::string file = record("NOMEX", character_type, text_value("lungo")) +
                             record("NOME", character_type, text_value("corto"));
    EXPECT_EQ(look_up(file, "NOME"), 1);
    EXPECT_EQ(value_text(), "corto");
    EXPECT_EQ(look_up(file, "NOM"), -1);
    // A name is found where its bytes and a NUL first stand, also at the end
    // of a longer stored name.
    EXPECT_EQ(look_up(record("XNOME", character_type, text_value("lungo")), "OME"), 1);
    EXPECT_EQ(value_text(), "untouched");  // its type byte is a filler byte
}

TEST_F(VedivarTest, AMatchInsideAnEarlierValueWins) {
    // The first variable's value holds "ETA", a NUL and what looks like the
    // rest of a record; the real ETA record comes later.
    std::string inner = "ETA";
    inner += '\0';
    inner += std::string(7, '-') + character_type + std::string(20, '-') + text_value("dentro");
    const std::string file = record("NOTE", character_type, inner) +
                             record("ETA", character_type, text_value("fuori"));
    EXPECT_EQ(look_up(file, "ETA"), 1);
    EXPECT_EQ(value_text(), "dentro");
}

TEST_F(VedivarTest, OnlyTheFirst10000BytesAreExamined) {
    const std::string filler = record("RIEMPI", character_type, text_value(std::string(9000, 'r')));
    // A record beginning after the first 10000 bytes is not found.
    std::string file = filler + std::string(10000 - filler.size(), '\0') +
                       record("DOPO", character_type, text_value("x"));
    EXPECT_EQ(look_up(file, "DOPO"), -1);
    // A text value cut by the limit is copied up to it and closed with a zero.
    const std::string cut = filler + record("TAGLIO", character_type, text_value(std::string(2000, 'v')));
    ASSERT_GT(cut.size(), 10000u);
    EXPECT_EQ(look_up(cut, "TAGLIO"), 1);
    EXPECT_EQ(value_text(), std::string(10000 - filler.size() - 32, 'v'));
    // A type byte or logical value beyond the limit means no match.
    const std::string head = filler + std::string(10000 - filler.size() - 11, '\1');
    EXPECT_EQ(look_up(head + record("TIPO", logical_type, "\1"), "TIPO"), -1);
    const std::string near = filler + std::string(10000 - filler.size() - 32, '\1');
    EXPECT_EQ(look_up(near + record("VALORE", logical_type, "\1"), "VALORE"), -1);
    EXPECT_EQ(value_text(), "untouched");
    const std::string just_in = filler + std::string(10000 - filler.size() - 33, '\1');
    EXPECT_EQ(look_up(just_in + record("VALORE", logical_type, "\1"), "VALORE"), 1);
    EXPECT_EQ(value_text(), "T");
}

TEST_F(VedivarTest, ShortDataUsesNoByteBeyondIt) {
    // The NUL after the name needs two more bytes of data.
    EXPECT_EQ(look_up(std::string("NOME\0x", 6), "NOME"), -1);
    // The type byte lies beyond the data.
    EXPECT_EQ(look_up(std::string("NOME\0xy", 7), "NOME"), -1);
    // The text value has no NUL in the data: it ends with the data.
    EXPECT_EQ(look_up(record("NOME", character_type, "abc"), "NOME"), 1);
    EXPECT_EQ(value_text(), "abc");
    EXPECT_EQ(look_up(record("NOME", character_type, ""), "NOME"), -1);
    EXPECT_EQ(value_text(), "untouched");
}

TEST_F(VedivarTest, FilesThatCannotBeRead) {
    EXPECT_EQ(look_up("", "NOME"), -3);
    char value_buffer[16] = "untouched";
    EXPECT_EQ(VEDIVAR(folder.file("missing").c_str(), "NOME", value_buffer), -2);
#ifdef _WIN32
    // Windows does not open a folder as a file.
    EXPECT_EQ(VEDIVAR(folder.path().string().c_str(), "NOME", value_buffer), -2);
#else
    EXPECT_EQ(VEDIVAR(folder.path().string().c_str(), "NOME", value_buffer), -3);  // a folder reads nothing
#endif
    EXPECT_EQ(VEDIVAR(nullptr, "NOME", value_buffer), -2);
    EXPECT_STREQ(value_buffer, "untouched");
}

}  // namespace
