// One ODBC statement on the host's connection, released with
// SQLFreeStmt(SQL_DROP) when the owner goes out of scope.
#ifndef HOSTUTIL_ODBC_STATEMENT_H
#define HOSTUTIL_ODBC_STATEMENT_H

#include "platform/odbc.h"

namespace ventus {

inline bool odbc_succeeded(SQLRETURN result)
{
    return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO;
}

class odbc_statement {
public:
    odbc_statement() = default;
    odbc_statement(const odbc_statement &) = delete;
    odbc_statement &operator=(const odbc_statement &) = delete;
    ~odbc_statement()
    {
        if (handle_ != SQL_NULL_HSTMT)
            SQLFreeStmt(handle_, SQL_DROP);
    }

    // Allocates the statement on connection and returns the driver manager's
    // result. A handle that was handed out is owned even when the result is not
    // SQL_SUCCESS, so that it is released on every path.
    SQLRETURN allocate(SQLHDBC connection)
    {
        SQLHANDLE allocated = SQL_NULL_HSTMT;
        const SQLRETURN result = SQLAllocHandle(SQL_HANDLE_STMT, connection, &allocated);
        if (odbc_succeeded(result))
            handle_ = allocated;
        return result;
    }

    SQLHSTMT get() const { return handle_; }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

}  // namespace ventus

#endif
