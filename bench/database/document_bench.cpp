// A 64 MiB document through LoadBin, SaveBin and EqualBin on SQLite and on
// PostgreSQL, beside the driver's own round trip of the same bytes: one
// SQLExecute with the whole buffer bound, and one SQLGetData into a buffer of
// the blob's length. Each benchmark reports its peak memory above the memory
// held before it, in copies of the document (Linux: VmHWM after resetting it
// through /proc/self/clear_refs).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/odbc.h"
#include "ventus.h"

namespace {

constexpr std::size_t document_size = std::size_t{64} << 20;

enum database_engine { sqlite = 0, postgres = 1 };

std::filesystem::path scratch_folder()
{
    return std::filesystem::path{SCRATCH_FOLDER};
}

std::string connection_string(int engine)
{
    if (engine == sqlite)
        return "Driver=VentusSQLite;Database=" + (scratch_folder() / "documents.db").string() +
               ";LoadExt=" SQLITE_DATALENGTH_EXTENSION;
    std::ifstream state{POSTGRES_STATE_FILE};
    std::string socket_folder;
    std::getline(state, socket_folder);
    return "Driver=VentusPostgreSQL;Servername=" + socket_folder +
           ";Port=5432;Database=postgres;UID=postgres;ByteaAsLongVarBinary=1";
}

long status_kib(const char *field)
{
    std::ifstream status{"/proc/self/status"};
    std::string line;
    const std::string prefix = std::string{field} + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

// Peak resident memory from construction to report(), in documents.
class peak_memory {
public:
    peak_memory()
    {
        std::ofstream{"/proc/self/clear_refs"} << "5";
        baseline_ = status_kib("VmRSS");
    }
    void report(benchmark::State &state) const
    {
        const double peak = static_cast<double>(status_kib("VmHWM") - baseline_) * 1024.0;
        state.counters["peak_copies"] = peak / static_cast<double>(document_size);
    }

private:
    long baseline_;
};

class odbc_connection {
public:
    explicit odbc_connection(const std::string &text)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_);
        SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_);
        connected_ = SQL_SUCCEEDED(SQLDriverConnect(
            connection_, nullptr, reinterpret_cast<SQLCHAR *>(const_cast<char *>(text.c_str())),
            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    }
    ~odbc_connection()
    {
        if (connected_)
            SQLDisconnect(connection_);
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
        SQLFreeHandle(SQL_HANDLE_ENV, environment_);
    }
    bool connected() const { return connected_; }
    SQLHDBC handle() const { return connection_; }

    bool run(const char *sql) const
    {
        SQLHSTMT statement = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement);
        const bool ran = SQL_SUCCEEDED(
            SQLExecDirect(statement, reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql)), SQL_NTS));
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return ran;
    }

private:
    SQLHENV environment_ = SQL_NULL_HENV;
    SQLHDBC connection_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

std::vector<unsigned char> document_bytes()
{
    std::vector<unsigned char> bytes(document_size);
    std::uint32_t state = 12345;
    for (auto &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

constexpr const char *update_sql = "UPDATE bench_docs SET documento=? WHERE iddoc='big'";
constexpr const char *select_sql =
    "SELECT documento, datalength(documento) FROM bench_docs WHERE iddoc='big'";

// A fresh table holding the document under 'big', and the document as a file.
std::unique_ptr<odbc_connection> prepare(benchmark::State &state, int engine)
{
    std::filesystem::create_directories(scratch_folder());
    if (engine == sqlite)
        std::filesystem::remove(scratch_folder() / "documents.db");
    auto connection = std::make_unique<odbc_connection>(connection_string(engine));
    if (!connection->connected()) {
        state.SkipWithError("no connection (PostgreSQL: run bench/database/run.sh)");
        return nullptr;
    }
    connection->run("DROP TABLE IF EXISTS bench_docs");
    connection->run(engine == sqlite
                        ? "CREATE TABLE bench_docs (iddoc VARCHAR(50) UNIQUE, documento BLOB)"
                        : "CREATE TABLE bench_docs (iddoc VARCHAR(50) UNIQUE, documento bytea)");
    connection->run("INSERT INTO bench_docs (iddoc) VALUES ('big')");
    const auto bytes = document_bytes();
    std::ofstream{scratch_folder() / "in.bin", std::ios::binary}.write(
        reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string in = (scratch_folder() / "in.bin").string();
    if (LoadBin(connection->handle(), update_sql, in.c_str()) != 0)
        state.SkipWithError("LoadBin failed");
    return connection;
}

std::string file(const char *name) { return (scratch_folder() / name).string(); }

// Runs `step` (true when it succeeded) once per iteration on a prepared
// connection and reports the peak memory and the document bytes per second.
template <typename Step>
void measure(benchmark::State &state, int engine, const char *failure, Step step)
{
    auto connection = prepare(state, engine);
    if (!connection)
        return;
    peak_memory memory;
    for (auto _ : state)
        if (!step(*connection))
            state.SkipWithError(failure);
    memory.report(state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document_size));
}

bool load(const odbc_connection &connection)
{
    return LoadBin(connection.handle(), update_sql, file("in.bin").c_str()) == 0;
}

bool save(const odbc_connection &connection)
{
    return SaveBin(connection.handle(), select_sql, file("out.bin").c_str()) == 0;
}

bool equal(const odbc_connection &connection, const char *name)
{
    return EqualBin(connection.handle(), "bench_docs", "big", file(name).c_str()) == 0;
}

void LoadBin64MiB(benchmark::State &state, int engine)
{
    measure(state, engine, "LoadBin failed", load);
}

void SaveBin64MiB(benchmark::State &state, int engine)
{
    measure(state, engine, "SaveBin failed", save);
}

void EqualBin64MiB(benchmark::State &state, int engine)
{
    measure(state, engine, "EqualBin did not find the document equal",
            [](const odbc_connection &connection) { return equal(connection, "in.bin"); });
}

void LoadSaveEqual64MiB(benchmark::State &state, int engine)
{
    measure(state, engine, "round trip failed", [](const odbc_connection &connection) {
        return load(connection) && save(connection) && equal(connection, "out.bin");
    });
}

// The driver's own round trip, the peer of the three exports: the bytes bound
// directly to an update (the document is in memory already, as a host holding
// it would have it), then selected into a buffer of their length.
bool driver_insert(const odbc_connection &connection, const std::vector<unsigned char> &bytes)
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &statement);
    SQLLEN length = static_cast<SQLLEN>(bytes.size());
    SQLPrepare(statement,
               reinterpret_cast<SQLCHAR *>(const_cast<char *>(update_sql)),
               SQL_NTS);
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                     bytes.size(), 0, const_cast<unsigned char *>(bytes.data()), length, &length);
    const bool done = SQL_SUCCEEDED(SQLExecute(statement));
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return done;
}

bool driver_select(const odbc_connection &connection)
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &statement);
    std::vector<unsigned char> read(document_size);
    SQLLEN indicator = 0;
    const bool done =
        SQL_SUCCEEDED(SQLExecDirect(statement,
                                    reinterpret_cast<SQLCHAR *>(const_cast<char *>(
                                        "SELECT documento FROM bench_docs WHERE iddoc='big'")),
                                    SQL_NTS)) &&
        SQL_SUCCEEDED(SQLFetch(statement)) &&
        SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_BINARY, read.data(),
                                 static_cast<SQLLEN>(read.size()), &indicator)) &&
        indicator == static_cast<SQLLEN>(document_size);
    benchmark::DoNotOptimize(read.data());
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return done;
}

void DriverInsert64MiB(benchmark::State &state, int engine)
{
    const auto bytes = document_bytes();
    measure(state, engine, "driver insert failed",
            [&bytes](const odbc_connection &connection) { return driver_insert(connection, bytes); });
}

void DriverSelect64MiB(benchmark::State &state, int engine)
{
    measure(state, engine, "driver select failed", driver_select);
}

void DriverRoundTrip64MiB(benchmark::State &state, int engine)
{
    const auto bytes = document_bytes();
    measure(state, engine, "driver round trip failed", [&bytes](const odbc_connection &connection) {
        return driver_insert(connection, bytes) && driver_select(connection);
    });
}

void settings(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
}

}  // namespace

BENCHMARK_CAPTURE(LoadBin64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(LoadBin64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(SaveBin64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(SaveBin64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(EqualBin64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(EqualBin64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(LoadSaveEqual64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(LoadSaveEqual64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(DriverInsert64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(DriverInsert64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(DriverSelect64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(DriverSelect64MiB, postgres, postgres)->Apply(settings);
BENCHMARK_CAPTURE(DriverRoundTrip64MiB, sqlite, sqlite)->Apply(settings);
BENCHMARK_CAPTURE(DriverRoundTrip64MiB, postgres, postgres)->Apply(settings);

BENCHMARK_MAIN();
