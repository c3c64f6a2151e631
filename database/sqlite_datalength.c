/* A loadable SQLite extension with datalength(X): the length of X in bytes
   (a blob's size, a text's UTF-8 length), NULL for NULL. EqualBin's query
   needs it; the SQLite ODBC driver loads it through the LoadExt attribute of
   the connection string. */
#include <sqlite3ext.h>

SQLITE_EXTENSION_INIT1

static void datalength(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int64(context, sqlite3_value_bytes(argv[0]));
}

#ifdef _WIN32
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
int sqlite3_extension_init(sqlite3 *db, char **error, const sqlite3_api_routines *api)
{
    (void)error;
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_function(db, "datalength", 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                   0, datalength, 0, 0);
}
