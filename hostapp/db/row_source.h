// The rows of one query as a record set reads them, whatever database they come from: stepped one
// at a time (only the current row is held), each column's kind and value, and where a media
// table's MEDIAID and Object are in them. A row source reads one snapshot of the database from its
// first row to its close, so that write-backs made meanwhile never disturb it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "hostapp/db/media_columns.h"

enum class ColumnKind {
    null,
    integer,
    real,
    bytes,  // a blob or a text: the host's text, as bytes of the ANSI code page
};

class RowSource {
public:
    virtual ~RowSource() = default;

    // Steps onto the next row: true while there is one. The first call steps onto the first.
    virtual bool step() = 0;

    // Columns count from 0.
    virtual int column_count() const = 0;
    virtual std::u16string column_name(int column) const = 0;

    // The current row's values.
    virtual ColumnKind kind(int column) const = 0;
    virtual std::int64_t integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // Valid until the next step; none for NULL.
    virtual std::span<const std::uint8_t> bytes(int column) const = 0;

    // Where the query reads a media table's MEDIAID and Object, when it reads both.
    virtual const std::optional<MediaColumns>& media_columns() const = 0;

    // Ends the read at once, letting go of the snapshot; the rows are gone.
    virtual void close() = 0;
};
