#include "hostapp/db/database_error.h"

#include <sqlite3.h>

#include <string>

#include "com/error.h"
#include "com/utf.h"

void raise_database_error(sqlite3* db, int rc) {
    // The connection's message names the table or column; without one, the code's text serves.
    const char* message = sqlite3_errstr(rc);
    if (db && sqlite3_errcode(db) != SQLITE_OK) message = sqlite3_errmsg(db);
    raise_error(kDatabaseError, utf16(message), kDatabaseErrorSource);
}

void raise_database_error(std::u16string_view description) {
    raise_error(kDatabaseError, std::u16string(description), kDatabaseErrorSource);
}

void check_open(bool closed) {
    if (closed) raise_database_error(u"The record set is closed.");
}
