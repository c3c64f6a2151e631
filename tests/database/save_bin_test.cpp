// SaveBin on both databases: the first row's blob written whole to the file,
// or nothing written at all.
#include <cstdlib>
#include <filesystem>

#include "document_test.h"
#include "ventus.h"

namespace database_test {
namespace {

using SaveBinTest = DocumentTest;

// Names of the files in folder apart from the database's own.
std::vector<std::string> files_in(const std::filesystem::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator{folder}) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("documents.db", 0) != 0 && name.rfind("query.", 0) != 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_P(SaveBinTest, WritesTheStoredDocumentReplacingAnExistingFile)
{
    const byte_vector document = pattern_bytes(100000, 4);
    database->insert("a", document);
    write_bytes(path("out.bin"), pattern_bytes(200000, 5));
    EXPECT_EQ(SaveBin(hdbc(), select_document("a").c_str(), path("out.bin").c_str()), 0);
    EXPECT_EQ(read_bytes(path("out.bin")), document);
    EXPECT_EQ(files_in(database->folder()), std::vector<std::string>{"out.bin"});
}

TEST_P(SaveBinTest, ZeroLengthBlobCreatesAnEmptyFile)
{
    database->insert("e", {});
    EXPECT_EQ(SaveBin(hdbc(), select_document("e").c_str(), path("out.bin").c_str()), 0);
    bool exists = false;
    EXPECT_TRUE(read_bytes(path("out.bin"), &exists).empty());
    EXPECT_TRUE(exists);
}

TEST_P(SaveBinTest, SeveralRowsWriteTheFirstRowOnly)
{
    database->insert("b", {2, 2});
    database->insert("a", {1});
    database->insert("c", {3, 3, 3});
    const std::string query = "SELECT documento, datalength(documento) FROM " + table() +
                              " ORDER BY iddoc DESC";
    EXPECT_EQ(SaveBin(hdbc(), query.c_str(), path("out.bin").c_str()), 0);
    EXPECT_EQ(read_bytes(path("out.bin")), (byte_vector{3, 3, 3}));
}

TEST_P(SaveBinTest, NoRowGivesMinusFiveAndNoFile)
{
    database->insert("a", {1});
    EXPECT_EQ(SaveBin(hdbc(), select_document("zz").c_str(), path("out.bin").c_str()), -5);
    EXPECT_FALSE(std::filesystem::exists(path("out.bin")));
    write_bytes(path("kept.bin"), {4, 5});
    EXPECT_EQ(SaveBin(hdbc(), select_document("zz").c_str(), path("kept.bin").c_str()), -5);
    EXPECT_EQ(read_bytes(path("kept.bin")), (byte_vector{4, 5}));
}

TEST_P(SaveBinTest, FailingQueryGivesMinusThreeAndNoFile)
{
    EXPECT_EQ(SaveBin(hdbc(), "SELECT documento FROM no_such_table", path("out.bin").c_str()),
              -3);
    EXPECT_EQ(SaveBin(hdbc(), nullptr, path("out.bin").c_str()), -3);
    EXPECT_FALSE(std::filesystem::exists(path("out.bin")));
}

TEST_P(SaveBinTest, NullDocumentOrLengthWritesNothing)
{
    database->query("INSERT INTO " + table() + " (iddoc, documento) VALUES ('n', NULL);");
    database->insert("a", {1, 2});
    write_bytes(path("kept.bin"), {4, 5});
    EXPECT_EQ(SaveBin(hdbc(), select_document("n").c_str(), path("out.bin").c_str()), -4);
    EXPECT_EQ(SaveBin(hdbc(), select_document("n").c_str(), path("kept.bin").c_str()), -4);
    const std::string null_length =
        "SELECT documento, NULL FROM " + table() + " WHERE iddoc='a'";
    EXPECT_EQ(SaveBin(hdbc(), null_length.c_str(), path("out.bin").c_str()), -4);
    EXPECT_FALSE(std::filesystem::exists(path("out.bin")));
    EXPECT_EQ(read_bytes(path("kept.bin")), (byte_vector{4, 5}));
    EXPECT_EQ(files_in(database->folder()), std::vector<std::string>{"kept.bin"});
}

TEST_P(SaveBinTest, FileThatCannotBeCreatedGivesMinusSix)
{
    database->insert("a", {1, 2});
    EXPECT_EQ(SaveBin(hdbc(), select_document("a").c_str(),
                      path("no-such-folder/out.bin").c_str()),
              -6);
    EXPECT_EQ(SaveBin(hdbc(), select_document("a").c_str(), nullptr), -6);
    // A folder in the way: the written copy cannot replace it and is removed.
    std::filesystem::create_directory(path("folder"));
    EXPECT_EQ(SaveBin(hdbc(), select_document("a").c_str(), path("folder").c_str()), -6);
    EXPECT_TRUE(std::filesystem::is_directory(path("folder")));
    EXPECT_EQ(files_in(database->folder()), std::vector<std::string>{"folder"});
}

// Run by CTest under a file-size limit (VENTUS_FILE_SIZE_LIMIT_KB, with the
// limit's signal ignored) so that writing a blob larger than the limit fails.
TEST_P(SaveBinTest, WriteFailureLeavesTheExistingFileUntouched)
{
    const char *limit = std::getenv("VENTUS_FILE_SIZE_LIMIT_KB");
    if (limit == nullptr)
        GTEST_SKIP() << "needs a file-size limit";
    const std::size_t size = 4 * 1024 * std::strtoul(limit, nullptr, 10);
    // The blob is made by the query, so the database file stays small.
    const std::string sized = std::to_string(size);
    const std::string query =
        GetParam() == database_engine::sqlite
            ? "SELECT zeroblob(" + sized + "), " + sized
            : "SELECT decode(repeat('00', " + sized + "), 'hex'), " + sized;
    write_bytes(path("kept.bin"), {4, 5});
    EXPECT_EQ(SaveBin(hdbc(), query.c_str(), path("kept.bin").c_str()), -6);
    EXPECT_EQ(read_bytes(path("kept.bin")), (byte_vector{4, 5}));
    EXPECT_EQ(files_in(database->folder()), std::vector<std::string>{"kept.bin"});
}

INSTANTIATE_ON_BOTH_DATABASES(SaveBinTest);

}  // namespace
}  // namespace database_test
