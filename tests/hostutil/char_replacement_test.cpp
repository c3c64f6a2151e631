#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;

class ReplCharTest : public ::testing::Test {
protected:
    // Replaces in a source holding bytes and returns the target's bytes.
    std::string replaced(const std::string &bytes, int old_char, int new_char) {
        write_file(source, bytes);
        EXPECT_EQ(ReplChar(source.c_str(), target.c_str(), old_char, new_char), 1);
        return read_file(target);
    }

    temporary_folder folder;
    std::string source = folder.file("source.txt");
    std::string target = folder.file("target.txt");
};

TEST_F(ReplCharTest, ReplacesInATextModeCopy) {
    EXPECT_EQ(replaced("banana\r\n", 'a', 'b'), "bbnbnb\r\n");
    // LF alone becomes CR LF, also when nothing is replaced.
    EXPECT_EQ(replaced("uno\ndue\n", 'x', 'y'), "uno\r\ndue\r\n");
    EXPECT_EQ(replaced("uno\r\ndue", 'o', 'o'), "uno\r\ndue");
    // A lone CR is delivered and can be replaced; the CR of CR LF is not seen.
    EXPECT_EQ(replaced("a\rb\r\n", '\r', '-'), "a-b\r\n");
    EXPECT_EQ(replaced("a\r\r\nb", '\r', '-'), "a-\r\nb");
    // Byte 0x1A ends the input.
    EXPECT_EQ(replaced("prima\x1A" "dopo\r\n", 'a', 'A'), "primA");
    EXPECT_EQ(replaced(std::string("\0x\0", 3), 0, 'z'), "zxz");
    EXPECT_EQ(replaced("", 'a', 'b'), "");
}

TEST_F(ReplCharTest, LineFeedsJoinOrSplitLines) {
    EXPECT_EQ(replaced("uno\r\ndue\r\n", '\n', ' '), "uno due ");
    EXPECT_EQ(replaced("a;b;c", ';', '\n'), "a\r\nb\r\nc");
    EXPECT_EQ(replaced("x\r", '\r', '\n'), "x\r\n");
}

TEST_F(ReplCharTest, OnlyTheLowByteOfTheCharactersCounts) {
    EXPECT_EQ(replaced("AAbA", 0x141, 0x7A), "zzbz");
    EXPECT_EQ(replaced("AAbA", 'A', 0x1FF42), "BBbB");
    EXPECT_EQ(replaced("\xE9t\xE9", -23, 'e'), "ete");  // -23 has the low byte 0xE9
}

TEST_F(ReplCharTest, CrLfAcrossReadBlocks) {
    // CR LF pairs and a 0x1A far beyond the first read block.
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += (i % 3 == 0) ? "ab\r\n" : "c\rd\n";
    std::string expected;
    for (int i = 0; i < 200000; ++i) expected += (i % 3 == 0) ? "Xb\r\n" : "c\rd\r\n";
    EXPECT_EQ(replaced(bytes, 'a', 'X'), expected);
    EXPECT_EQ(replaced(bytes + "\x1A" "tail", 'a', 'X'), expected);
}

// Text mode spelled out byte by byte, to check the block-wise copy against.
std::string text_mode_copy(const std::string &raw, char old_char, char new_char) {
    std::string text;
    for (std::size_t i = 0; i < raw.size() && raw[i] != '\x1A'; ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i] == old_char ? new_char : raw[i];
    }
    std::string written;
    for (char c : text) written += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return written;
}

TEST_F(ReplCharTest, LineEndsAcrossReadBlocksOfAnyLength) {
    // Lines of 0 to 12 bytes with CR LF, LF alone, lone CRs and CR CR LF, so
    // that every kind of line end falls on a block boundary somewhere.
    std::string raw;
    const char *const ends[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\r"};
    for (int i = 0; raw.size() < 400000; ++i) raw += std::string(i % 13, 'a') + ends[i % 5];
    for (const auto &[old_char, new_char] : {std::pair{'a', 'X'}, {'a', 'a'}, {'\r', '-'}, {'\n', ' '},
                                               {'a', '\n'}, {'a', '\r'}, {'\r', '\n'}}) {
        EXPECT_EQ(replaced(raw, old_char, new_char), text_mode_copy(raw, old_char, new_char))
            << int{old_char} << " by " << int{new_char};
        const std::string cut = raw.substr(0, 300001) + "\x1A" + raw;
        EXPECT_EQ(replaced(cut, old_char, new_char), text_mode_copy(cut, old_char, new_char));
    }
}

TEST_F(ReplCharTest, SourceAndTargetMayBeTheSameFile) {
    write_file(source, "casa\n");
    EXPECT_EQ(ReplChar(source.c_str(), source.c_str(), 'a', 'o'), 1);
    EXPECT_EQ(read_file(source), "coso\r\n");
    EXPECT_EQ(folder_listing(folder.path()), "source.txt\n");
}

TEST_F(ReplCharTest, MissingSourceLeavesTheTargetAlone) {
    EXPECT_EQ(ReplChar(folder.file("missing").c_str(), target.c_str(), 'a', 'b'), 0);
    EXPECT_FALSE(file_exists(target));
    write_file(target, "previous");
    EXPECT_EQ(ReplChar(folder.file("missing").c_str(), target.c_str(), 'a', 'b'), 0);
    EXPECT_EQ(read_file(target), "previous");
    EXPECT_EQ(ReplChar(nullptr, target.c_str(), 'a', 'b'), 0);
    EXPECT_EQ(ReplChar(source.c_str(), nullptr, 'a', 'b'), 0);
}

TEST_F(ReplCharTest, UnwritableOrUnreadablePlacesReturnZero) {
    write_file(source, "abc");
    EXPECT_EQ(ReplChar(source.c_str(), folder.file("no/such/folder/t").c_str(), 'a', 'b'), 0);
    // A folder as source cannot be read; a folder as target cannot be replaced.
    EXPECT_EQ(ReplChar(folder.path().string().c_str(), target.c_str(), 'a', 'b'), 0);
    EXPECT_FALSE(file_exists(target));
    std::filesystem::create_directory(folder.file("sub"));
    EXPECT_EQ(ReplChar(source.c_str(), folder.file("sub").c_str(), 'a', 'b'), 0);
    EXPECT_EQ(folder_listing(folder.path()), "source.txt\nsub\n");
}

TEST_F(ReplCharTest, FullDiskLeavesTheTargetUntouched) {
    tiny_filesystem disk;
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string small_target = disk.file("target.txt");
    write_file(small_target, "previous");
    write_file(source, std::string(200 * 1024, 'a'));
    EXPECT_EQ(ReplChar(source.c_str(), small_target.c_str(), 'a', 'b'), 0);
    EXPECT_EQ(read_file(small_target), "previous");
    EXPECT_EQ(folder_listing(std::filesystem::path(small_target).parent_path()), "target.txt\n");
}

}  // namespace
