#include "hostapp/db/odbc_row_source.h"

#include <set>

#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_connection_string.h"
#include "hostapp/db/odbc_host_database.h"
#include "platform/ole/ansi_codepage.h"

namespace {

bool name_char(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'.';
}

// The media tables a query's text names, each once: its words that are one, with or without "dbo.".
std::set<std::u16string_view> media_tables_named(std::u16string_view sql) {
    std::set<std::u16string_view> named;
    for (std::size_t at = 0; at < sql.size();) {
        if (!name_char(sql[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < sql.size() && name_char(sql[end])) ++end;
        if (auto table = find_media_table(sql.substr(at, end - at))) named.insert(*table);
        at = end;
    }
    return named;
}

// Whether sql is a query: its first word is SELECT.
bool is_select(std::u16string_view sql) {
    std::size_t at = 0;
    while (at < sql.size() && (sql[at] == u' ' || sql[at] == u'\t' || sql[at] == u'\r' || sql[at] == u'\n')) ++at;
    std::size_t end = at;
    while (end < sql.size() && name_char(sql[end])) ++end;
    return same_sql_name(sql.substr(at, end - at), u"SELECT");
}

}  // namespace

std::u16string streaming_connection_string(std::u16string_view dbms, std::u16string_view connection_string) {
    std::u16string streaming(connection_string);
    if (dbms.find(u"PostgreSQL") != std::u16string_view::npos && !connection_attribute(streaming, u"UseDeclareFetch"))
        streaming = with_attribute(with_attribute(streaming, u"UseDeclareFetch", u"1"), u"Fetch", u"32");
    if (dbms.find(u"SQLite") != std::u16string_view::npos && !connection_attribute(streaming, u"StepAPI"))
        streaming = with_attribute(streaming, u"StepAPI", u"1");
    return streaming;
}

std::optional<MediaColumns> media_columns_of(const std::vector<OdbcColumn>& columns, std::u16string_view sql) {
    std::vector<ColumnOrigin> origins;
    bool driver_names_tables = false;
    for (const OdbcColumn& column : columns) {
        origins.push_back({column.base_table, column.base_column});
        driver_names_tables = driver_names_tables || !column.base_table.empty();
    }
    if (!driver_names_tables) {
        const std::set<std::u16string_view> named = media_tables_named(sql);
        if (named.size() != 1) return std::nullopt;
        for (std::size_t i = 0; i < columns.size(); ++i) origins[i] = {std::u16string(*named.begin()), columns[i].name};
    }
    return find_media_columns(origins);
}

OdbcRowSource::OdbcRowSource(std::u16string_view connection_string, std::u16string_view sql) {
    if (!is_select(sql)) raise_database_error(u"A forward record set only reads; the query would write.");
    connection_.emplace(connect_host_database(connection_string));
    const std::u16string dbms = connection_->dbms_name();
    const bool sqlite = dbms.find(u"SQLite") != std::u16string::npos;
    // A string that does not ask the driver to stream yet is connected again with what does.
    const std::u16string streaming = streaming_connection_string(dbms, connection_string);
    if (streaming != connection_string) {
        connection_.reset();
        connection_.emplace(connect_host_database(streaming));
    }
    connection_->hint_read_only();
    connection_->read_one_snapshot();
    // SQLite's driver steps a result only outside a transaction of its own; there the stepping
    // statement itself reads one snapshot of the file until it is closed.
    if (!sqlite) connection_->set_autocommit(false);
    statement_.emplace(connection_->prepare(sql));
    statement_->execute();
    for (int i = 1; i <= statement_->column_count(); ++i) columns_.push_back(statement_->column(i));
    row_.resize(columns_.size());
    media_ = media_columns_of(columns_, sql);
}

OdbcRowSource::~OdbcRowSource() = default;

void OdbcRowSource::read_cell(int column, Cell& cell) {
    cell.kind = ColumnKind::null;
    cell.bytes.clear();
    const int number = column + 1;
    // The Object column is bytes whatever its type.
    const OdbcValueType type = media_ && media_->object == column ? OdbcValueType::bytes : columns_[column].type;
    switch (type) {
    case OdbcValueType::integer:
        if (auto value = statement_->get_int64(number)) {
            cell.kind = ColumnKind::integer;
            cell.integer = *value;
        }
        return;
    case OdbcValueType::real:
        if (auto value = statement_->get_double(number)) {
            cell.kind = ColumnKind::real;
            cell.real = *value;
        }
        return;
    case OdbcValueType::bytes:
        if (auto value = statement_->get_bytes(number)) {
            cell.kind = ColumnKind::bytes;
            cell.bytes = std::move(*value);
        }
        return;
    case OdbcValueType::text:
        // The host's texts are bytes of the ANSI code page; a character it cannot hold reads as '?'.
        if (auto value = statement_->get_text(number)) {
            cell.kind = ColumnKind::bytes;
            cell.bytes = pathmender::ole::ansi_encode(*value);
        }
        return;
    }
}

bool OdbcRowSource::step() {
    if (!statement_->fetch()) {
        for (Cell& cell : row_) cell = Cell();
        return false;
    }
    for (std::size_t i = 0; i < row_.size(); ++i) read_cell(int(i), row_[i]);
    return true;
}

void OdbcRowSource::close() {
    statement_.reset();
    connection_.reset();
}
