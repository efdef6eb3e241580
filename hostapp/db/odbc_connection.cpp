#include "hostapp/db/odbc_connection.h"

#include "hostapp/db/odbc_api.h"
#include "hostapp/db/odbc_connection_string.h"
#include "hostapp/db/odbc_diagnostics.h"

namespace {

// A server that does not answer fails the connection in this time rather than hanging it.
constexpr SQLULEN kLoginTimeoutSeconds = 15;

}  // namespace

OdbcConnection::OdbcConnection(std::u16string_view connection_string)
    : environment_(odbc_environment()), connection_(SQL_HANDLE_DBC, environment_.get()) {
    // Not every driver has a login timeout; the connection goes on without one.
    SQLSetConnectAttrW(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
    std::u16string text(connection_string);
    SQLRETURN rc = SQLDriverConnectW(connection_.get(), nullptr, odbc_text(text), SQLSMALLINT(text.size()), nullptr, 0,
                                     nullptr, SQL_DRIVER_NOPROMPT);
    if (!odbc_succeeded(rc))
        raise_odbc_error(SQL_HANDLE_DBC, connection_.get(),
                         u"Cannot connect to the database (" + redacted_connection_string(connection_string) + u")");
    connected_ = true;
}

OdbcConnection::OdbcConnection(OdbcConnection&& o) noexcept
    : environment_(std::move(o.environment_)),
      connection_(std::move(o.connection_)),
      connected_(std::exchange(o.connected_, false)),
      autocommit_(o.autocommit_) {}

OdbcConnection& OdbcConnection::operator=(OdbcConnection&& o) noexcept {
    if (this != &o) {
        disconnect();
        connection_ = std::move(o.connection_);
        environment_ = std::move(o.environment_);
        connected_ = std::exchange(o.connected_, false);
        autocommit_ = o.autocommit_;
    }
    return *this;
}

OdbcConnection::~OdbcConnection() { disconnect(); }

void OdbcConnection::disconnect() noexcept {
    if (!std::exchange(connected_, false)) return;
    // A connection in a transaction refuses to disconnect.
    if (!autocommit_) SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK);
    SQLDisconnect(connection_.get());
}

void OdbcConnection::execute(std::u16string_view sql) {
    OdbcStatement statement(connection_.get());
    statement.execute_direct(sql);
}

void OdbcConnection::set_autocommit(bool on) {
    SQLRETURN rc = SQLSetConnectAttrW(connection_.get(), SQL_ATTR_AUTOCOMMIT,
                                      reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (!odbc_succeeded(rc))
        raise_odbc_error(SQL_HANDLE_DBC, connection_.get(),
                         on ? u"Cannot turn autocommit on" : u"Cannot turn autocommit off");
    autocommit_ = on;
}

void OdbcConnection::read_one_snapshot() {
    for (SQLULEN level : {SQLULEN(SQL_TXN_REPEATABLE_READ), SQLULEN(SQL_TXN_SERIALIZABLE)}) {
        SQLRETURN rc = SQLSetConnectAttrW(connection_.get(), SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(level), 0);
        if (odbc_succeeded(rc)) return;
        if (level == SQL_TXN_SERIALIZABLE)
            raise_odbc_error(SQL_HANDLE_DBC, connection_.get(), u"The database cannot keep one snapshot for a reader");
    }
}

void OdbcConnection::hint_read_only() noexcept {
    SQLSetConnectAttrW(connection_.get(), SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
}

std::u16string OdbcConnection::dbms_name() const {
    SQLWCHAR name[128] = {};
    SQLSMALLINT length = 0;  // in bytes
    if (!odbc_succeeded(SQLGetInfoW(connection_.get(), SQL_DBMS_NAME, name, SQLSMALLINT(sizeof name), &length)))
        raise_odbc_error(SQL_HANDLE_DBC, connection_.get(), u"The driver does not name its database");
    return odbc_string(name, std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)) / sizeof(SQLWCHAR),
                                                   std::size(name) - 1));
}

void OdbcConnection::commit() { end_transaction(SQL_COMMIT); }
void OdbcConnection::rollback() { end_transaction(SQL_ROLLBACK); }

void OdbcConnection::end_transaction(short completion) {
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, connection_.get(), completion);
    if (!odbc_succeeded(rc))
        raise_odbc_error(SQL_HANDLE_DBC, connection_.get(),
                         completion == SQL_COMMIT ? u"The transaction cannot be committed"
                                                  : u"The transaction cannot be rolled back");
}
