// SaveBin against rows that do not hold what the query's contract promises:
// lengths that lie about the blob, NULL columns, columns of other types. The
// file is either the whole blob or not there; never a prefix, never garbage.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "document_test.h"
#include "ventus.h"

namespace database_test {
namespace {

using DocumentRowsTest = DocumentTest;

TEST_P(DocumentRowsTest, LengthColumnThatLiesNeverCutsOrPadsTheBlob)
{
    const byte_vector document = pattern_bytes(100000, 8);
    database->insert("a", document);
    for (const char *length : {"3", "0", "99999", "100001", "1000000"}) {
        const std::string query = "SELECT documento, " + std::string{length} + " FROM " +
                                  table() + " WHERE iddoc='a'";
        std::filesystem::remove(path("out.bin"));
        EXPECT_EQ(SaveBin(hdbc(), query.c_str(), path("out.bin").c_str()), 0) << length;
        EXPECT_EQ(read_bytes(path("out.bin")), document) << length;
    }
}

TEST_P(DocumentRowsTest, LengthsThatCannotBeTakenGiveTheWholeBlobOrNothing)
{
    const byte_vector document = pattern_bytes(1000, 9);
    database->insert("a", document);
    // Out of range, negative, or not a number: the driver converts or refuses.
    for (const char *length : {"4294967295", "-1", "'abc'", "1e30"}) {
        const std::string query = "SELECT documento, " + std::string{length} + " FROM " +
                                  table() + " WHERE iddoc='a'";
        std::filesystem::remove(path("out.bin"));
        const int32_t result = SaveBin(hdbc(), query.c_str(), path("out.bin").c_str());
        bool exists = false;
        const byte_vector written = read_bytes(path("out.bin"), &exists);
        if (result == 0)
            EXPECT_EQ(written, document) << length;
        else
            EXPECT_TRUE(result == -4 && !exists) << length << ": " << result;
    }
}

TEST_P(DocumentRowsTest, MissingOrNullColumnsWriteNothing)
{
    database->insert("a", {1, 2, 3});
    for (const std::string &query :
         {"SELECT documento FROM " + table(), std::string{"SELECT NULL, NULL"}, std::string{"SELECT NULL, 5"},
          "SELECT documento, NULL FROM " + table()}) {
        EXPECT_EQ(SaveBin(hdbc(), query.c_str(), path("out.bin").c_str()), -4) << query;
        EXPECT_FALSE(std::filesystem::exists(path("out.bin"))) << query;
    }
}

TEST_P(DocumentRowsTest, NonBinaryColumnsAreWrittenAsTheirBytes)
{
    EXPECT_EQ(SaveBin(hdbc(), "SELECT 'ciao', 4", path("out.bin").c_str()), 0);
    EXPECT_EQ(read_bytes(path("out.bin")), (byte_vector{'c', 'i', 'a', 'o'}));
}

// Run by CTest with memory that cannot hold 4 GiB (VENTUS_MEMORY_LIMITED set:
// an address-space limit, or the sanitizer's allocation limit).
TEST_P(DocumentRowsTest, AllocationFailureGivesTheCodeOfItsStep)
{
    if (std::getenv("VENTUS_MEMORY_LIMITED") == nullptr)
        GTEST_SKIP() << "needs a memory limit";
    database->insert("a", {1, 2, 3});
    const std::string huge_length =
        "SELECT documento, 4294967295 FROM " + table() + " WHERE iddoc='a'";
    EXPECT_EQ(SaveBin(hdbc(), huge_length.c_str(), path("out.bin").c_str()), -4);
    EXPECT_FALSE(std::filesystem::exists(path("out.bin")));

    // A sparse file of 4 GiB: no room for its image.
    {
        std::ofstream{path("huge.bin")};
    }
    std::filesystem::resize_file(path("huge.bin"), std::uintmax_t{4} << 30);
    const std::string update = "UPDATE " + table() + " SET documento=? WHERE iddoc='a'";
    EXPECT_EQ(LoadBin(hdbc(), update.c_str(), path("huge.bin").c_str()), -3);
    EXPECT_EQ(database->stored("a"), (byte_vector{1, 2, 3}));
}

INSTANTIATE_ON_BOTH_DATABASES(DocumentRowsTest);

}  // namespace
}  // namespace database_test
