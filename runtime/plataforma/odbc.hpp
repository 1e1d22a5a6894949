#pragma once
// The ODBC headers: Windows' need its base types declared first.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
