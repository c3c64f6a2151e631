// EqualBin on both databases.
#include "document_test.h"
#include "ventus.h"

namespace database_test {
namespace {

using EqualBinTest = DocumentTest;

TEST_P(EqualBinTest, ComparesLengthThenEveryByte)
{
    const byte_vector document = pattern_bytes(5000, 6);
    database->insert("a", document);
    const char *file = "file.bin";
    auto compare = [&](const byte_vector &contents) {
        write_bytes(path(file), contents);
        return EqualBin(hdbc(), table().c_str(), "a", path(file).c_str());
    };

    EXPECT_EQ(compare(document), 0);
    byte_vector longer = document;
    longer.push_back(0);
    EXPECT_EQ(compare(longer), 1);
    EXPECT_EQ(compare(byte_vector(document.begin(), document.end() - 1)), 1);
    byte_vector last = document;
    last.back() ^= 1;
    EXPECT_EQ(compare(last), 2);
    // The first byte counts like every other.
    byte_vector first = document;
    first.front() ^= 0x80;
    EXPECT_EQ(compare(first), 2);
    byte_vector middle = document;
    middle[2500] ^= 0x10;
    EXPECT_EQ(compare(middle), 2);
}

TEST_P(EqualBinTest, ShortDocuments)
{
    database->insert("empty", {});
    database->insert("one", {0x41});
    write_bytes(path("empty.bin"), {});
    write_bytes(path("one.bin"), {0x41});
    write_bytes(path("other.bin"), {0x42});
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "empty", path("empty.bin").c_str()), 0);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "empty", path("one.bin").c_str()), 1);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "one", path("one.bin").c_str()), 0);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "one", path("other.bin").c_str()), 2);
}

TEST_P(EqualBinTest, MissingKeyFileOrDocument)
{
    database->insert("a", {1, 2, 3});
    database->query("INSERT INTO " + table() + " (iddoc, documento) VALUES ('n', NULL);");
    write_bytes(path("file.bin"), {1, 2, 3});
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "zz", path("file.bin").c_str()), -5);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), nullptr, path("file.bin").c_str()), -5);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "a", path("missing.bin").c_str()), -7);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "a", nullptr), -7);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "n", path("file.bin").c_str()), -6);
    EXPECT_EQ(EqualBin(hdbc(), "no_such_table", "a", path("file.bin").c_str()), -3);
}

TEST_P(EqualBinTest, TableNameIsAnIdentifierOrNothingRuns)
{
    database->insert("a", {1, 2, 3});
    write_bytes(path("file.bin"), {1, 2, 3});
    const std::string injected = table() + " WHERE 1=0; DROP TABLE " + table() + "; --";
    EXPECT_EQ(EqualBin(hdbc(), injected.c_str(), "a", path("file.bin").c_str()), -3);
    const std::string injected_quote = "\"" + table() + "\" ; DROP TABLE " + table();
    EXPECT_EQ(EqualBin(hdbc(), injected_quote.c_str(), "a", path("file.bin").c_str()), -3);
    EXPECT_EQ(EqualBin(hdbc(), nullptr, "a", path("file.bin").c_str()), -3);
    EXPECT_EQ(database->row_count(), "1");

    // Qualified and quoted names reach the table.
    const std::string schema = GetParam() == database_engine::sqlite ? "main." : "public.";
    for (const std::string &name : {schema + table(), "\"" + table() + "\"",
                                    schema + "\"" + table() + "\""})
        EXPECT_EQ(EqualBin(hdbc(), name.c_str(), "a", path("file.bin").c_str()), 0) << name;
}

TEST_P(EqualBinTest, TableNameMustFitTheQueryBuffer)
{
    // 197 bytes fill the 256-byte query exactly (PostgreSQL shortens long
    // names the same way when creating and when selecting).
    const std::string longest = table() + std::string(197 - table().size(), 'x');
    database->query("DROP TABLE IF EXISTS " + longest + ";");
    database->create_table(longest);
    database->query("INSERT INTO " + longest + " (iddoc, documento) VALUES ('a', " +
                    database->literal({5}) + ");");
    write_bytes(path("file.bin"), {5});
    EXPECT_EQ(EqualBin(hdbc(), longest.c_str(), "a", path("file.bin").c_str()), 0);
    const std::string too_long = longest + "x";
    EXPECT_EQ(EqualBin(hdbc(), too_long.c_str(), "a", path("file.bin").c_str()), -3);
    database->query("DROP TABLE " + longest + ";");
}

TEST_P(EqualBinTest, AgreesWithWhatLoadBinStored)
{
    const byte_vector document = pattern_bytes(300000, 7);
    write_bytes(path("in.bin"), document);
    const std::string insert =
        "INSERT INTO " + table() + " (iddoc, documento) VALUES ('a', ?)";
    ASSERT_EQ(LoadBin(hdbc(), insert.c_str(), path("in.bin").c_str()), 0);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "a", path("in.bin").c_str()), 0);
    EXPECT_EQ(database->query("SELECT length(documento) FROM " + table() + ";"), "300000");
}

INSTANTIATE_ON_BOTH_DATABASES(EqualBinTest);

}  // namespace
}  // namespace database_test
