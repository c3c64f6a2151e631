// Test fixture shared by the document tests: a fresh table on the database of
// the test's parameter, and an open ODBC connection to it as a host has.
#ifndef TESTS_DATABASE_DOCUMENT_TEST_H
#define TESTS_DATABASE_DOCUMENT_TEST_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "test_database.h"

namespace database_test {

class DocumentTest : public testing::TestWithParam<database_engine> {
protected:
    void SetUp() override
    {
        const auto *info = testing::UnitTest::GetInstance()->current_test_info();
        database = std::make_unique<test_database>(
            GetParam(), std::string{info->test_suite_name()} + "." + info->name());
        connection = std::make_unique<odbc_connection>(database->connection_string());
        ASSERT_TRUE(connection->connected()) << connection->error();
    }

    void TearDown() override
    {
        connection.reset();
        database.reset();
    }

    void *hdbc() const { return connection->handle(); }
    const std::string &table() const { return database->table(); }
    std::string path(const std::string &name) const { return database->file(name).string(); }
    std::string select_document(const std::string &key) const
    {
        return "SELECT documento, datalength(documento) FROM " + table() + " WHERE iddoc='" +
               key + "'";
    }

    std::unique_ptr<test_database> database;
    std::unique_ptr<odbc_connection> connection;
};

inline std::string engine_test_name(const testing::TestParamInfo<database_engine> &info)
{
    return engine_name(info.param);
}

#define INSTANTIATE_ON_BOTH_DATABASES(suite)                                                   \
    INSTANTIATE_TEST_SUITE_P(Databases, suite,                                                 \
                             testing::Values(database_engine::sqlite, database_engine::postgres), \
                             engine_test_name)

}  // namespace database_test

#endif
