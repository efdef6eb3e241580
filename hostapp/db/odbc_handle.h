// One ODBC handle (environment, connection or statement), freed when it goes.
#pragma once

#include <utility>

class OdbcHandle {
public:
    OdbcHandle() = default;
    // Allocates a handle of type (SQL_HANDLE_ENV, _DBC or _STMT) under parent (none for an environment).
    OdbcHandle(short type, void* parent);
    OdbcHandle(OdbcHandle&& o) noexcept : type_(o.type_), handle_(std::exchange(o.handle_, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& o) noexcept;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle();

    short type() const { return type_; }
    void* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    void free();

    short type_ = 0;
    void* handle_ = nullptr;
};

// A new ODBC 3 environment.
OdbcHandle odbc_environment();
