// EqualBin: whether the document stored under a key still equals a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/odbc.h"

#include "hostutil/byte_buffer.h"
#include "hostutil/document_columns.h"
#include "hostutil/file_image.h"
#include "hostutil/odbc_statement.h"
#include "hostutil/table_name.h"
#include "ventus.h"

namespace {

using ventus::column_read;

constexpr int32_t equal = 0;
constexpr int32_t lengths_differ = 1;
constexpr int32_t contents_differ = 2;
constexpr int32_t no_connection = -1;
constexpr int32_t no_statement = -2;
constexpr int32_t query_failed = -3;
constexpr int32_t length_unreadable = -4;
constexpr int32_t no_document = -5;
constexpr int32_t document_unreadable = -6;
constexpr int32_t file_unreadable = -7;

constexpr SQLULEN key_column_size = 50;
// The file is compared piece by piece, so only the stored document is held whole.
constexpr std::size_t comparison_piece = std::size_t{1} << 20;

// Compares every byte of the open file, whose length is that of stored, with
// stored. Returns equal, contents_differ or file_unreadable.
int32_t compare_with_file(std::FILE *file, const unsigned char *stored, std::size_t length)
{
    ventus::byte_buffer piece;
    if (!piece.allocate(length < comparison_piece ? length : comparison_piece))
        return file_unreadable;
    for (std::size_t offset = 0; offset < length;) {
        std::size_t wanted = length - offset;
        if (wanted > piece.capacity())
            wanted = piece.capacity();
        if (std::fread(piece.data(), 1, wanted, file) != wanted)
            return file_unreadable;
        if (std::memcmp(piece.data(), stored + offset, wanted) != 0)
            return contents_differ;
        offset += wanted;
    }
    return equal;
}

}  // namespace

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL EqualBin(void *hdbc, const char *table,
                                                        const char *key, const char *path)
{
    if (hdbc == nullptr)
        return no_connection;
    // The table name becomes SQL text: only an identifier that fits is taken.
    char query[ventus::document_query_size];
    if (!ventus::is_table_identifier(table) || !ventus::compose_document_query(table, query))
        return query_failed;

    ventus::odbc_statement statement;
    if (statement.allocate(static_cast<SQLHDBC>(hdbc)) != SQL_SUCCESS)
        return no_statement;

    SQLLEN key_indicator = key == nullptr ? SQL_NULL_DATA : SQL_NTS;
    SQLBindParameter(statement.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_CHAR, key_column_size,
                     0, const_cast<char *>(key), 0, &key_indicator);
    if (!ventus::odbc_succeeded(
            SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR *>(query), SQL_NTS)))
        return query_failed;
    if (SQLFetch(statement.get()) == SQL_NO_DATA)
        return no_document;

    // A NULL document has a NULL length too: it is reported by the blob read.
    std::uint32_t stored_length = 0;
    const column_read length_read = ventus::read_stored_length(statement.get(), stored_length);
    if (length_read == column_read::failed)
        return length_unreadable;
    ventus::byte_buffer stored;
    std::size_t length = 0;
    if (ventus::read_blob(statement.get(), stored_length, stored, length) != column_read::ok)
        return document_unreadable;
    if (length_read == column_read::null)
        return length_unreadable;

    ventus::file_handle file = ventus::open_for_reading(path);
    if (!file)
        return file_unreadable;
    std::size_t file_size = 0;
    if (!ventus::file_length(file.get(), file_size))
        return file_unreadable;
    if (file_size != length)
        return lengths_differ;
    return compare_with_file(file.get(), stored.data(), length);
}
