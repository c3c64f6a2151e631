// LoadBin and SaveBin: a whole file stored through the host's statement, and
// the blob of a query's first row written back to a file.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "platform/odbc.h"

#include "hostutil/byte_buffer.h"
#include "hostutil/document_columns.h"
#include "hostutil/file_image.h"
#include "hostutil/odbc_statement.h"
#include "platform/replacement_file.h"
#include "ventus.h"

namespace {

using ventus::byte_buffer;
using ventus::odbc_succeeded;
using ventus::odbc_statement;

// Result codes of LoadBin.
constexpr int32_t load_stored = 0;
constexpr int32_t load_no_connection = -1;
constexpr int32_t load_no_statement = -2;
constexpr int32_t load_file_unreadable = -3;
constexpr int32_t load_prepare_failed = -4;
constexpr int32_t load_execution_failed = -5;

// Result codes of SaveBin.
constexpr int32_t save_written = 0;
constexpr int32_t save_no_connection = -1;
constexpr int32_t save_no_statement = -2;
constexpr int32_t save_query_failed = -3;
constexpr int32_t save_column_failed = -4;
constexpr int32_t save_no_row = -5;
constexpr int32_t save_file_failed = -6;

// Runs a prepared statement whose one parameter is sent at execution time,
// handing over the whole image in one SQLPutData each time the driver asks.
// True when the execution and the data exchange succeeded.
bool execute_with_image(SQLHSTMT statement, const unsigned char *image, std::size_t length)
{
    // Drivers that need the length in advance store nothing without it.
    SQLLEN indicator = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(length));
    // The parameter value is only a token that SQLParamData hands back.
    SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0,
                     reinterpret_cast<SQLPOINTER>(1), 0, &indicator);

    // A valid address even for an empty file.
    unsigned char nothing = 0;
    SQLPOINTER data = length == 0 ? &nothing : const_cast<unsigned char *>(image);

    SQLRETURN result = SQLExecute(statement);
    if (result != SQL_NEED_DATA)
        return odbc_succeeded(result) || result == SQL_NO_DATA;
    SQLPOINTER token = nullptr;
    result = SQLParamData(statement, &token);
    while (result == SQL_NEED_DATA) {
        if (!odbc_succeeded(SQLPutData(statement, data, static_cast<SQLLEN>(length)))) {
            // Leave the data exchange, so that the statement can be released.
            SQLCancel(statement);
            return false;
        }
        result = SQLParamData(statement, &token);
    }
    return odbc_succeeded(result) || result == SQL_NO_DATA;
}

}  // namespace

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL LoadBin(void *hdbc, const char *sql,
                                                       const char *path)
{
    if (hdbc == nullptr)
        return load_no_connection;
    odbc_statement statement;
    if (!odbc_succeeded(statement.allocate(static_cast<SQLHDBC>(hdbc))))
        return load_no_statement;

    byte_buffer image;
    std::size_t length = 0;
    {
        ventus::file_handle file = ventus::open_for_reading(path);
        if (!file || !ventus::file_length(file.get(), length) ||
            length > static_cast<std::size_t>(std::numeric_limits<SQLLEN>::max() +
                                              SQL_LEN_DATA_AT_EXEC_OFFSET) ||
            ventus::read_file_image(file.get(), length, image) != ventus::file_read::ok)
            return load_file_unreadable;
    }

    if (!odbc_succeeded(SQLPrepare(statement.get(),
                                   reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql)), SQL_NTS)))
        return load_prepare_failed;
    if (!execute_with_image(statement.get(), image.data(), length))
        return load_execution_failed;
    return load_stored;
}

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL SaveBin(void *hdbc, const char *sql,
                                                       const char *path)
{
    if (hdbc == nullptr)
        return save_no_connection;
    odbc_statement statement;
    if (!odbc_succeeded(statement.allocate(static_cast<SQLHDBC>(hdbc))))
        return save_no_statement;

    if (SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql)),
                      SQL_NTS) == SQL_ERROR)
        return save_query_failed;
    if (SQLFetch(statement.get()) == SQL_NO_DATA)
        return save_no_row;

    std::uint32_t stored_length = 0;
    if (ventus::read_stored_length(statement.get(), stored_length) != ventus::column_read::ok)
        return save_column_failed;  // failed, or SQL NULL
    byte_buffer blob;
    std::size_t length = 0;
    if (ventus::read_blob(statement.get(), stored_length, blob, length) !=
        ventus::column_read::ok)
        return save_column_failed;  // failed, SQL NULL, or no memory for it

    // Written beside the target and renamed over it only when complete.
    platform::replacement_file file{path};
    if (!file.is_open() || !file.write(blob.data(), length) || !file.commit())
        return save_file_failed;
    return save_written;
}
