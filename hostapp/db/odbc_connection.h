// One ODBC connection with an environment of its own, disconnected when it goes. Its statements
// must go before it does.
#pragma once

#include <string>
#include <string_view>

#include "hostapp/db/odbc_handle.h"
#include "hostapp/db/odbc_statement.h"

class OdbcConnection {
public:
    // Connects through the driver manager without prompting; a failure raises OdbcError naming
    // the connection string with its password taken out.
    explicit OdbcConnection(std::u16string_view connection_string);
    OdbcConnection(OdbcConnection&& o) noexcept;
    OdbcConnection& operator=(OdbcConnection&& o) noexcept;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;
    // Rolls back what is not committed.
    ~OdbcConnection();

    // Runs one statement without parameters that returns no rows.
    void execute(std::u16string_view sql);
    OdbcStatement prepare(std::u16string_view sql) { return OdbcStatement(connection_.get(), sql); }

    // Off: every statement belongs to a transaction that lasts until commit or rollback.
    void set_autocommit(bool on);
    // The transactions to come read one snapshot (repeatable read, or serializable where the
    // driver offers nothing less); set while no transaction is open.
    void read_one_snapshot();
    // Tells the driver that the connection only reads, where it takes the hint.
    void hint_read_only() noexcept;
    // The database's product name, as the driver gives it ("PostgreSQL", "Microsoft SQL Server").
    std::u16string dbms_name() const;
    void commit();
    void rollback();

private:
    void end_transaction(short completion);
    void disconnect() noexcept;

    // Declared first, so it goes last.
    OdbcHandle environment_;
    OdbcHandle connection_;
    bool connected_ = false;
    bool autocommit_ = true;
};
