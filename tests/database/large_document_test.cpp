// A 64 MiB document through LoadBin, SaveBin and EqualBin, checked byte for
// byte against what the database itself holds.
#include "document_test.h"
#include "ventus.h"

namespace database_test {
namespace {

using LargeDocumentTest = DocumentTest;

TEST_P(LargeDocumentTest, RoundTripOf64MiB)
{
    const byte_vector document = pattern_bytes(std::size_t{64} << 20, 10);
    write_bytes(path("in.bin"), document);
    const std::string insert =
        "INSERT INTO " + table() + " (iddoc, documento) VALUES ('big', ?)";
    ASSERT_EQ(LoadBin(hdbc(), insert.c_str(), path("in.bin").c_str()), 0);

    if (GetParam() == database_engine::sqlite) {
        database->query("SELECT writefile('" + path("stored.bin") + "', documento) FROM " +
                        table() + ";");
        EXPECT_TRUE(read_bytes(path("stored.bin")) == document);
        std::filesystem::remove(path("stored.bin"));
    } else {
        EXPECT_TRUE(database->stored("big") == document);
    }

    ASSERT_EQ(SaveBin(hdbc(), select_document("big").c_str(), path("out.bin").c_str()), 0);
    EXPECT_TRUE(read_bytes(path("out.bin")) == document);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "big", path("out.bin").c_str()), 0);

    byte_vector changed = document;
    changed[changed.size() / 2] ^= 1;
    write_bytes(path("out.bin"), changed);
    EXPECT_EQ(EqualBin(hdbc(), table().c_str(), "big", path("out.bin").c_str()), 2);
}

INSTANTIATE_ON_BOTH_DATABASES(LargeDocumentTest);

}  // namespace
}  // namespace database_test
