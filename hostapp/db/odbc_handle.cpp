#include "hostapp/db/odbc_handle.h"

#include "hostapp/db/odbc_api.h"
#include "hostapp/db/odbc_diagnostics.h"

OdbcHandle::OdbcHandle(short type, void* parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (odbc_succeeded(rc)) return;
    handle_ = nullptr;
    // An environment that cannot be had has no handle to ask why; others ask their parent.
    if (!parent) raise_odbc_error(u"The ODBC driver manager cannot allocate an environment");
    raise_odbc_error(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent,
                     u"The ODBC driver manager cannot allocate a handle");
}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& o) noexcept {
    if (this != &o) {
        free();
        type_ = o.type_;
        handle_ = std::exchange(o.handle_, nullptr);
    }
    return *this;
}

OdbcHandle::~OdbcHandle() { free(); }

void OdbcHandle::free() {
    if (handle_) SQLFreeHandle(type_, std::exchange(handle_, nullptr));
}

OdbcHandle odbc_environment() {
    OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLRETURN rc = SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!odbc_succeeded(rc))
        raise_odbc_error(SQL_HANDLE_ENV, environment.get(), u"The ODBC driver manager does not offer ODBC 3");
    return environment;
}
