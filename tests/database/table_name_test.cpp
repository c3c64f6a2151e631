// Which table names EqualBin lets into its query text.
#include <gtest/gtest.h>

#include <string>

#include "hostutil/table_name.h"

namespace {

TEST(TableIdentifier, AcceptsPlainQualifiedAndQuotedNames)
{
    for (const char *name : {"docs", "Documenti_2024", "_x", "dbo.docs", "db.dbo.docs",
                             "[my docs]", "\"my docs\"", "dbo.[doc-archive]", "\"a.b\".c",
                             "[a\"b]", "\"a]b\""})
        EXPECT_TRUE(ventus::is_table_identifier(name)) << name;
}

TEST(TableIdentifier, RefusesAnythingElse)
{
    for (const char *name :
         {"", ".", "docs.", ".docs", "a..b", "docs;", "docs --", "docs WHERE 1=1", "do cs",
          "docs'", "[docs", "[docs]]", "\"docs", "\"do\"\"cs\"", "[]", "\"\"", "docs)",
          "docs/*", "[a]b", "a.[b", "d\xc3\xa8"})
        EXPECT_FALSE(ventus::is_table_identifier(name)) << name;
    EXPECT_FALSE(ventus::is_table_identifier(nullptr));
}

TEST(TableIdentifier, QueryTextFitsItsBufferOrIsRefused)
{
    char query[ventus::document_query_size];
    ASSERT_TRUE(ventus::compose_document_query("docs", query));
    EXPECT_STREQ(query, "SELECT documento,datalength(documento) FROM docs WHERE iddoc=?");
    const std::string longest(197, 'a');
    ASSERT_TRUE(ventus::compose_document_query(longest.c_str(), query));
    EXPECT_EQ(std::string{query}.size(), 255u);
    EXPECT_FALSE(ventus::compose_document_query((longest + "a").c_str(), query));
}

}  // namespace
