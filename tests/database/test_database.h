// The two real databases the document tests run on, each reached through its
// ODBC driver for the exports and through its own command-line tool for the
// checks: SQLite (a file per test) and PostgreSQL (the server that the CTest
// fixture started).
#ifndef TESTS_DATABASE_TEST_DATABASE_H
#define TESTS_DATABASE_TEST_DATABASE_H

#include <sql.h>

#include <filesystem>
#include <string>
#include <vector>

namespace database_test {

enum class database_engine { sqlite, postgres };

std::string engine_name(database_engine engine);

using byte_vector = std::vector<unsigned char>;

// An ODBC environment and a connection, both released on destruction.
class odbc_connection {
public:
    explicit odbc_connection(const std::string &connection_string);
    odbc_connection(const odbc_connection &) = delete;
    odbc_connection &operator=(const odbc_connection &) = delete;
    ~odbc_connection();

    SQLHDBC handle() const { return connection_; }
    bool connected() const { return connected_; }
    std::string error() const { return error_; }

private:
    SQLHENV environment_ = SQL_NULL_HENV;
    SQLHDBC connection_ = SQL_NULL_HDBC;
    bool connected_ = false;
    std::string error_;
};

// One test's database: its scratch folder, its document table
// (iddoc text UNIQUE, documento blob), and its tools.
class test_database {
public:
    test_database(database_engine engine, const std::string &test_name);
    ~test_database();

    database_engine engine() const { return engine_; }
    const std::string &table() const { return table_; }
    const std::filesystem::path &folder() const { return folder_; }
    std::filesystem::path file(const std::string &name) const { return folder_ / name; }
    std::string connection_string() const;

    // Runs sql through the engine's command-line tool; the output, one line
    // per row with '|' between columns. Fails the test when the tool fails.
    std::string query(const std::string &sql) const;
    // Like query, for statements that are expected to fail; true when they ran.
    bool try_query(const std::string &sql) const;

    // SQL text of a literal holding bytes.
    std::string literal(const byte_vector &bytes) const;
    // SQL expression giving the column's bytes as hexadecimal text.
    std::string hex(const std::string &column) const;

    void create_table(const std::string &name) const;
    void insert(const std::string &key, const byte_vector &bytes) const;
    // The stored document under key, read by the command-line tool.
    byte_vector stored(const std::string &key) const;
    std::string row_count() const;

private:
    database_engine engine_;
    std::filesystem::path folder_;
    std::string table_;
};

// A new, empty folder under the system's temporary folder.
std::filesystem::path new_scratch_folder(const std::string &prefix);

byte_vector pattern_bytes(std::size_t length, unsigned seed);
void write_bytes(const std::filesystem::path &path, const byte_vector &bytes);
// The file's bytes; empty and exists == false when it cannot be read.
byte_vector read_bytes(const std::filesystem::path &path, bool *exists = nullptr);
byte_vector from_hex(const std::string &text);

}  // namespace database_test

#endif
