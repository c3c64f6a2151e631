// ODBC's call-level interface. Windows' ODBC headers rely on the types of
// windows.h, so it comes first there; unixODBC's headers stand alone.
#ifndef PLATFORM_ODBC_H
#define PLATFORM_ODBC_H

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#endif
