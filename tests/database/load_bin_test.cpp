// LoadBin on both databases, checked through the database's own tool.
#include <filesystem>

#include "document_test.h"
#include "ventus.h"

namespace database_test {
namespace {

using LoadBinTest = DocumentTest;

TEST_P(LoadBinTest, StoresEveryByteOfTheFileThroughTheHostsStatement)
{
    // Zeros and high bytes included: the length travels with the data, which
    // drivers that need it in advance (SQLite's) require to store anything.
    const byte_vector document = pattern_bytes(70000, 1);
    write_bytes(path("in.bin"), document);
    const std::string insert =
        "INSERT INTO " + table() + " (iddoc, documento) VALUES ('a', ?)";
    EXPECT_EQ(LoadBin(hdbc(), insert.c_str(), path("in.bin").c_str()), 0);
    EXPECT_EQ(database->stored("a"), document);

    // An update through the same marker replaces the document.
    const byte_vector replacement = pattern_bytes(3, 2);
    write_bytes(path("in.bin"), replacement);
    const std::string update = "UPDATE " + table() + " SET documento=? WHERE iddoc='a'";
    EXPECT_EQ(LoadBin(hdbc(), update.c_str(), path("in.bin").c_str()), 0);
    EXPECT_EQ(database->stored("a"), replacement);
    EXPECT_EQ(database->row_count(), "1");
}

TEST_P(LoadBinTest, EmptyFileIsStoredAsEmptyDocumentNotNull)
{
    write_bytes(path("empty.bin"), {});
    const std::string insert =
        "INSERT INTO " + table() + " (iddoc, documento) VALUES ('e', ?)";
    EXPECT_EQ(LoadBin(hdbc(), insert.c_str(), path("empty.bin").c_str()), 0);
    EXPECT_EQ(database->query("SELECT documento IS NULL, length(documento) FROM " + table() +
                              " WHERE iddoc='e';"),
              engine_name(GetParam()) == "Sqlite" ? "0|0" : "f|0");
}

TEST_P(LoadBinTest, UnreadableFileLeavesTheTableUnchanged)
{
    database->insert("a", {1, 2, 3});
    const std::string update = "UPDATE " + table() + " SET documento=? WHERE iddoc='a'";
    EXPECT_EQ(LoadBin(hdbc(), update.c_str(), path("missing.bin").c_str()), -3);
    // A folder opens on some systems but cannot be read as a whole file.
    std::filesystem::create_directory(path("folder"));
    EXPECT_EQ(LoadBin(hdbc(), update.c_str(), path("folder").c_str()), -3);
    EXPECT_EQ(LoadBin(hdbc(), update.c_str(), nullptr), -3);
    EXPECT_EQ(database->stored("a"), (byte_vector{1, 2, 3}));
    EXPECT_EQ(database->row_count(), "1");
}

TEST_P(LoadBinTest, FailureAtExecutionIsReportedNotSwallowed)
{
    // iddoc is UNIQUE: the statement prepares, and fails when it runs.
    database->insert("a", {1, 2, 3});
    write_bytes(path("in.bin"), pattern_bytes(1000, 3));
    const std::string duplicate =
        "INSERT INTO " + table() + " (iddoc, documento) VALUES ('a', ?)";
    EXPECT_EQ(LoadBin(hdbc(), duplicate.c_str(), path("in.bin").c_str()), -5);
    EXPECT_EQ(database->row_count(), "1");
    EXPECT_EQ(database->stored("a"), (byte_vector{1, 2, 3}));
}

TEST_P(LoadBinTest, StatementThatCannotBePreparedOrRunChangesNothing)
{
    database->insert("a", {7});
    write_bytes(path("in.bin"), {1, 2});
    // Both drivers check the text only when it runs; the driver manager refuses
    // to prepare a missing text.
    const std::string missing_table = "UPDATE no_such_table SET documento=? WHERE iddoc='a'";
    EXPECT_EQ(LoadBin(hdbc(), missing_table.c_str(), path("in.bin").c_str()), -5);
    EXPECT_EQ(LoadBin(hdbc(), "NOT SQL AT ALL ?", path("in.bin").c_str()), -5);
    EXPECT_EQ(LoadBin(hdbc(), nullptr, path("in.bin").c_str()), -4);
    EXPECT_EQ(database->stored("a"), (byte_vector{7}));
    EXPECT_EQ(database->row_count(), "1");
}

TEST_P(LoadBinTest, StatementWithoutMarkerRunsAndReturnsZero)
{
    write_bytes(path("in.bin"), {1});
    const std::string plain = "INSERT INTO " + table() + " (iddoc) VALUES ('p')";
    EXPECT_EQ(LoadBin(hdbc(), plain.c_str(), path("in.bin").c_str()), 0);
    EXPECT_EQ(database->query("SELECT count(*) FROM " + table() +
                              " WHERE iddoc='p' AND documento IS NULL;"),
              "1");
}

INSTANTIATE_ON_BOTH_DATABASES(LoadBinTest);

TEST(DocumentExports, NullConnectionTouchesNoFile)
{
    const auto folder = new_scratch_folder("ventus-null-connection");
    const std::string target = (folder / "out.bin").string();
    const std::string existing = (folder / "existing.bin").string();
    write_bytes(existing, {9, 8, 7});

    EXPECT_EQ(LoadBin(nullptr, "INSERT INTO t VALUES (?)", existing.c_str()), -1);
    EXPECT_EQ(SaveBin(nullptr, "SELECT 1, 1", target.c_str()), -1);
    EXPECT_EQ(SaveBin(nullptr, "SELECT 1, 1", existing.c_str()), -1);
    EXPECT_EQ(EqualBin(nullptr, "docs", "a", existing.c_str()), -1);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(read_bytes(existing), (byte_vector{9, 8, 7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator{folder},
                            std::filesystem::directory_iterator{}),
              1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace database_test
