#include "test_database.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace database_test {

namespace {

std::string postgres_socket_folder()
{
    std::ifstream state{POSTGRES_STATE_FILE};
    std::string folder;
    std::getline(state, folder);
    return folder;
}

std::string identifier_for(const std::string &test_name)
{
    std::ostringstream name;
    name << "docs_" << std::hex << std::hash<std::string>{}(test_name);
    return name.str();
}

std::string shell_quoted(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string{"'\\''"} : std::string(1, c);
    return quoted + "'";
}

template <typename Container>
Container read_whole(const std::filesystem::path &path, bool *exists)
{
    std::ifstream in{path, std::ios::binary};
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path, error);
    if (exists != nullptr)
        *exists = in.is_open() && regular;
    Container contents;
    if (!in.is_open() || !regular)
        return contents;
    contents.resize(std::filesystem::file_size(path));
    in.read(reinterpret_cast<char *>(contents.data()), static_cast<std::streamsize>(contents.size()));
    contents.resize(static_cast<std::size_t>(in.gcount()));
    return contents;
}

std::string read_text(const std::filesystem::path &path)
{
    return read_whole<std::string>(path, nullptr);
}

}  // namespace

std::string engine_name(database_engine engine)
{
    return engine == database_engine::sqlite ? "Sqlite" : "Postgres";
}

odbc_connection::odbc_connection(const std::string &connection_string)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_)))
        return;
    SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_)))
        return;
    SQLCHAR out[1024];
    SQLSMALLINT out_length = 0;
    const SQLRETURN result = SQLDriverConnect(
        connection_, nullptr,
        reinterpret_cast<SQLCHAR *>(const_cast<char *>(connection_string.c_str())), SQL_NTS, out,
        sizeof out, &out_length, SQL_DRIVER_NOPROMPT);
    connected_ = SQL_SUCCEEDED(result);
    if (!connected_) {
        SQLCHAR state[6] = {};
        SQLCHAR message[512] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_DBC, connection_, 1, state, &native, message, sizeof message,
                      &length);
        error_ = reinterpret_cast<char *>(state) + std::string{": "} +
                 reinterpret_cast<char *>(message);
    }
}

odbc_connection::~odbc_connection()
{
    if (connected_)
        SQLDisconnect(connection_);
    if (connection_ != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    if (environment_ != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

std::filesystem::path new_scratch_folder(const std::string &prefix)
{
    // Several builds may run the same tests at once: each run has its own folder.
    std::random_device entropy;
    for (;;) {
        std::ostringstream name;
        name << prefix << '-' << std::hex << entropy() << entropy();
        const auto folder = std::filesystem::temp_directory_path() / name.str();
        if (std::filesystem::create_directory(folder))
            return folder;
    }
}

test_database::test_database(database_engine engine, const std::string &test_name)
    : engine_{engine},
      folder_{new_scratch_folder("ventus-" + identifier_for(test_name + engine_name(engine)))},
      table_{identifier_for(test_name)}
{
    if (engine_ == database_engine::postgres)
        query("DROP TABLE IF EXISTS " + table_ + ";");
    create_table(table_);
}

test_database::~test_database()
{
    if (engine_ == database_engine::postgres)
        try_query("DROP TABLE IF EXISTS " + table_ + ";");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string test_database::connection_string() const
{
    if (engine_ == database_engine::sqlite)
        return "Driver=VentusSQLite;Database=" + file("documents.db").string() +
               ";LoadExt=" SQLITE_DATALENGTH_EXTENSION;
    return "Driver=VentusPostgreSQL;Servername=" + postgres_socket_folder() +
           ";Port=5432;Database=postgres;UID=postgres;ByteaAsLongVarBinary=1";
}

bool test_database::try_query(const std::string &sql) const
{
    const std::filesystem::path script = file("query.sql");
    std::ofstream{script} << sql << '\n';
    std::string command;
    if (engine_ == database_engine::sqlite)
        command = "sqlite3 -batch -bail " + shell_quoted(file("documents.db").string()) + " < ";
    else
        command = "psql -X -q -At -v ON_ERROR_STOP=1 -h " + shell_quoted(postgres_socket_folder()) +
                  " -U postgres -d postgres -f ";
    command += shell_quoted(script.string()) + " > " + shell_quoted(file("query.out").string()) +
               " 2> " + shell_quoted(file("query.err").string());
    return std::system(command.c_str()) == 0;
}

std::string test_database::query(const std::string &sql) const
{
    const bool ran = try_query(sql);
    EXPECT_TRUE(ran) << sql << "\n" << read_text(file("query.err"));
    std::string output = read_text(file("query.out"));
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

std::string test_database::literal(const byte_vector &bytes) const
{
    static const char digits[] = "0123456789abcdef";
    std::string hex_digits;
    for (unsigned char byte : bytes) {
        hex_digits += digits[byte >> 4];
        hex_digits += digits[byte & 15];
    }
    if (engine_ == database_engine::sqlite)
        return "X'" + hex_digits + "'";
    return "decode('" + hex_digits + "','hex')";
}

std::string test_database::hex(const std::string &column) const
{
    if (engine_ == database_engine::sqlite)
        return "hex(" + column + ")";
    return "encode(" + column + ",'hex')";
}

void test_database::create_table(const std::string &name) const
{
    const std::string blob_type = engine_ == database_engine::sqlite ? "BLOB" : "bytea";
    query("CREATE TABLE " + name + " (iddoc VARCHAR(50) UNIQUE, documento " + blob_type + ");");
}

void test_database::insert(const std::string &key, const byte_vector &bytes) const
{
    query("INSERT INTO " + table_ + " (iddoc, documento) VALUES ('" + key + "', " +
          literal(bytes) + ");");
}

byte_vector test_database::stored(const std::string &key) const
{
    return from_hex(query("SELECT " + hex("documento") + " FROM " + table_ + " WHERE iddoc='" +
                          key + "';"));
}

std::string test_database::row_count() const
{
    return query("SELECT count(*) FROM " + table_ + ";");
}

byte_vector pattern_bytes(std::size_t length, unsigned seed)
{
    byte_vector bytes(length);
    unsigned state = seed * 2654435761u + 1;
    for (auto &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

void write_bytes(const std::filesystem::path &path, const byte_vector &bytes)
{
    std::ofstream out{path, std::ios::binary | std::ios::trunc};
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

byte_vector read_bytes(const std::filesystem::path &path, bool *exists)
{
    return read_whole<byte_vector>(path, exists);
}

byte_vector from_hex(const std::string &text)
{
    auto value = [](char c) {
        return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    };
    byte_vector bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(value(text[2 * i]) << 4 | value(text[2 * i + 1]));
    return bytes;
}

}  // namespace database_test
