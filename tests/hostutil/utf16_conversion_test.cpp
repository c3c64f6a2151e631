#include <gtest/gtest.h>

#include <string>

#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;

const std::string bom = "\xFF\xFE";

// UTF-16LE bytes of text whose characters are all below U+0100.
std::string wide(const std::string &latin1) {
    std::string out;
    for (char c : latin1) {
        out += c;
        out += '\0';
    }
    return out;
}

class Utf16Test : public ::testing::Test {
protected:
    std::string to_unicode(const std::string &bytes) {
        write_file(source, bytes);
        EXPECT_EQ(ConvertToUnicode(source.c_str(), target.c_str()), 1);
        return read_file(target);
    }
    std::string to_ansi(const std::string &bytes) {
        write_file(source, bytes);
        EXPECT_EQ(ConvertToAnsi(source.c_str(), target.c_str()), 1);
        return read_file(target);
    }

    temporary_folder folder;
    std::string source = folder.file("source.txt");
    std::string target = folder.file("target.txt");
};

TEST_F(Utf16Test, ConvertToUnicodeWidensEveryLine) {
    EXPECT_EQ(to_unicode(""), bom);
    EXPECT_EQ(to_unicode("abc"), bom + wide("abc\r\n"));
    EXPECT_EQ(to_unicode("uno\ndue\n"), bom + wide("uno\r\ndue\r\n"));
    EXPECT_EQ(to_unicode("uno\r\n\r\ndue\r\n"), bom + wide("uno\r\n\r\ndue\r\n"));
    EXPECT_EQ(to_unicode("caff\xE9\r\n"), bom + wide("caff\xE9\r\n"));
    // A lone CR ends what is converted of its line.
    EXPECT_EQ(to_unicode("prima\rdopo\nfine\n"), bom + wide("prima\r\nfine\r\n"));
    // Byte 0x1A ends the input; byte 0 is widened like any other byte.
    EXPECT_EQ(to_unicode("uno\r\ndue\x1Atre\r\n"), bom + wide("uno\r\ndue\r\n"));
    EXPECT_EQ(to_unicode(std::string("a\0b\n", 4)), bom + wide(std::string("a\0b\r\n", 5)));
}

TEST_F(Utf16Test, LongLinesArriveInPiecesOf16383Bytes) {
    const std::string line(16383 * 2 + 5, 'x');
    EXPECT_EQ(to_unicode(line + "\r\n"),
              bom + wide(std::string(16383, 'x') + "\r\n" + std::string(16383, 'x') + "\r\nxxxxx\r\n"));
    // A line of exactly 16383 bytes leaves its LF to a line read of its own.
    EXPECT_EQ(to_unicode(std::string(16383, 'y') + "\n"),
              bom + wide(std::string(16383, 'y') + "\r\n\r\n"));
}

TEST_F(Utf16Test, ConvertToUnicodeMatchesIconv) {
    SKIP_WITHOUT_HOST_TOOL("iconv");
    std::string text;
    for (int line = 0; line < 3000; ++line) {
        for (int c = 0; c < 40; ++c) {
            const int byte = 32 + (line * 7 + c * 13) % 224;
            if (byte != 0x7F) text += static_cast<char>(byte);
        }
        text += "\r\n";
    }
    const std::string unicode = to_unicode(text);
    const std::string expected =
        shell_output("iconv -f ISO-8859-1 -t UTF-16LE " + shell_quoted(source));
    EXPECT_EQ(unicode, bom + expected);
    // And back: the round trip gives the source again.
    const std::string back = folder.file("back.txt");
    EXPECT_EQ(ConvertToAnsi(target.c_str(), back.c_str()), 1);
    EXPECT_EQ(read_file(back), text);
}

TEST_F(Utf16Test, ConvertToAnsiNarrowsIconvOutput) {
    SKIP_WITHOUT_HOST_TOOL("iconv");
    const std::string latin = "Perch\xE9 cos\xEC?\r\n\r\n\xC0 domani: 100\xB0\r\n";
    write_file(folder.file("latin.txt"), latin);
    const std::string unicode =
        bom + shell_output("iconv -f ISO-8859-1 -t UTF-16LE " + shell_quoted(folder.file("latin.txt")));
    EXPECT_EQ(to_ansi(unicode), latin);
    // LF-only line ends and a last line without an end get CR LF.
    EXPECT_EQ(to_ansi(bom + wide("uno\ndue")), "uno\r\ndue\r\n");
    EXPECT_EQ(to_ansi(bom), "");
    EXPECT_EQ(to_ansi(""), "");
}

TEST_F(Utf16Test, ConvertToAnsiReadsWholeUnits) {
    // U+20AC gives its non-zero bytes, least significant first.
    EXPECT_EQ(to_ansi(bom + "\xAC\x20" + wide("1\r\n")), "\xAC\x20" "1\r\n");
    // U+010A and U+041A contain the bytes 0x0A and 0x1A but are neither a
    // line end nor the end of the input.
    EXPECT_EQ(to_ansi(bom + wide("a") + "\x0A\x01" + wide("b\r\n") + "\x1A\x04" + wide("c\r\n")),
              "a\x0A\x01" "b\r\n\x1A\x04" "c\r\n");
    // The unit U+001A ends the input.
    EXPECT_EQ(to_ansi(bom + wide("uno\r\n\x1A" "due\r\n")), "uno\r\n");
    // A line that starts with U+0100 or U+0000 is kept.
    EXPECT_EQ(to_ansi(bom + wide("x\r\n") + std::string("\x00\x01", 2) + wide("y\r\n") +
                      std::string("\x00\x00", 2) + wide("z\r\n")),
              std::string("x\r\n\x01y\r\n\0z\r\n", 11));
    // Bytes 0x0D 0x0A that straddle two units are not a line end: U+0D00
    // gives the byte 0x0D, U+000A ends the line.
    EXPECT_EQ(to_ansi(bom + std::string("\x00\x0D\x0A\x00", 4)), "\r\r\n");
}

TEST_F(Utf16Test, ConvertToAnsiDropsOnlyAByteOrderMark) {
    EXPECT_EQ(to_ansi(wide("senza\r\n")), "senza\r\n");
    EXPECT_EQ(to_ansi("\xFE\xFF" + wide("x\r\n")), "\xFE\xFF" "x\r\n");
    // A final odd byte is a unit of its own.
    EXPECT_EQ(to_ansi(bom + wide("ab") + "c"), "abc\r\n");
}

TEST_F(Utf16Test, FailuresReportTheirFile) {
    EXPECT_EQ(ConvertToUnicode(folder.file("missing").c_str(), target.c_str()), -1);
    EXPECT_EQ(ConvertToAnsi(folder.file("missing").c_str(), target.c_str()), -1);
    EXPECT_EQ(ConvertToUnicode(folder.path().string().c_str(), target.c_str()), -1);
    EXPECT_EQ(ConvertToAnsi(folder.path().string().c_str(), target.c_str()), -1);
    EXPECT_FALSE(file_exists(target));
    write_file(source, "abc\r\n");
    EXPECT_EQ(ConvertToUnicode(source.c_str(), folder.file("no/folder/t").c_str()), -2);
    EXPECT_EQ(ConvertToAnsi(source.c_str(), folder.file("no/folder/t").c_str()), -2);
    EXPECT_EQ(ConvertToUnicode(nullptr, target.c_str()), -1);
    EXPECT_EQ(ConvertToAnsi(source.c_str(), nullptr), -2);
    EXPECT_EQ(folder_listing(folder.path()), "source.txt\n");
}

TEST_F(Utf16Test, SourceAndTargetMayBeTheSameFile) {
    write_file(source, "uno\r\n");
    EXPECT_EQ(ConvertToUnicode(source.c_str(), source.c_str()), 1);
    EXPECT_EQ(read_file(source), bom + wide("uno\r\n"));
    EXPECT_EQ(ConvertToAnsi(source.c_str(), source.c_str()), 1);
    EXPECT_EQ(read_file(source), "uno\r\n");
}

TEST_F(Utf16Test, FullDiskGivesMinusThreeAndKeepsTheTarget) {
    tiny_filesystem disk;
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string small_target = disk.file("target.txt");
    write_file(small_target, "previous");
    write_file(source, std::string(100 * 1024, 'a') + "\r\n");
    EXPECT_EQ(ConvertToUnicode(source.c_str(), small_target.c_str()), -3);
    EXPECT_EQ(read_file(small_target), "previous");
    write_file(source, bom + wide(std::string(100 * 1024, 'a')));
    EXPECT_EQ(ConvertToAnsi(source.c_str(), small_target.c_str()), -3);
    EXPECT_EQ(read_file(small_target), "previous");
    EXPECT_EQ(folder_listing(std::filesystem::path(small_target).parent_path()), "target.txt\n");
}

}  // namespace
