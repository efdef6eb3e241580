#include "hostapp/services/forward_recordset.h"

#include <cmath>
#include <limits>
#include <new>
#include <span>

#include "com/error.h"
#include "com/utf.h"
#include "com/variant.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "platform/ole/ansi_codepage.h"
#include "platform/forms/window_system.h"

namespace {

// Integers that fit 32 bits are Longs; larger ones keep every digit so the reader can see the overflow.
Variant integer_value(std::int64_t value) {
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return Variant(std::int32_t(value));
    return Variant(value);
}

// A text or blob as the host's text: its bytes through the ANSI code page, decoded straight into the
// string handed out (an object of megabytes is copied once on its way to the page, not twice).
Variant ansi_text_value(std::span<const std::uint8_t> bytes) {
    BSTR text = SysAllocStringLen(nullptr, std::uint32_t(bytes.size()));
    if (!text) throw std::bad_alloc();
    static_assert(sizeof(OLECHAR) == sizeof(char16_t));
    pathmender::ole::ansi_decode_into(bytes, reinterpret_cast<char16_t*>(text));
    Variant value;
    VARIANT* v = value.put();
    v->vt = VT_BSTR;
    v->bstrVal = text;
    return value;
}

}  // namespace

ForwardRecordset::ForwardRecordset(std::unique_ptr<RowSource> rows, const std::shared_ptr<HostDatabase>& database)
    : rows_(std::move(rows)), media_(rows_->media_columns()), database_(database) {
    if (database) {
        interrupted_ = database->hooks().interrupted;
        if (media_) {
            watcher_ = database->hooks().watcher;
            in_hand_ = database->records_in_hand();
        }
    }
    advance();
}

ForwardRecordset::~ForwardRecordset() {
    if (in_hand_) in_hand_->leave(this);
}

void ForwardRecordset::advance() {
    on_row_ = rows_->step();
    if (!media_) return;
    if (!on_row_) {
        if (in_hand_) in_hand_->leave(this);
        if (watcher_ && !std::exchange(walked_, true)) watcher_->table_walked(media_->table);
        return;
    }
    // The key as the page reads it and writes it back, whatever its storage class (a REAL 1.0 is
    // the page's 1), so that a write-back can be told to be for this record.
    std::u16string media_id;
    if (rows_->kind(media_->media_id) != ColumnKind::null) media_id = value_at(media_->media_id).to_text();
    std::optional<std::span<const std::uint8_t>> object;  // none: NULL
    if (rows_->kind(media_->object) != ColumnKind::null) object = rows_->bytes(media_->object);
    if (in_hand_) in_hand_->stand_on(this, media_->table, media_id, object);
    if (watcher_) watcher_->record_read({media_->table, media_id, object.value_or(std::span<const std::uint8_t>())});
}

Variant ForwardRecordset::value_at(int column) const {
    switch (rows_->kind(column)) {
    case ColumnKind::null: return Variant::null();
    case ColumnKind::integer: return integer_value(rows_->integer(column));
    case ColumnKind::real: return Variant(rows_->real(column));
    case ColumnKind::bytes: break;
    }
    // Blobs and texts alike hold the host's text as bytes of the ANSI code page.
    return ansi_text_value(rows_->bytes(column));
}

int ForwardRecordset::column_index(const VARIANT& column) const {
    int count = rows_->column_count();
    if (column.vt == VT_BSTR) {
        const std::u16string_view name = bstr_view(column.bstrVal);
        for (int i = 0; i < count; ++i)
            if (same_sql_name(rows_->column_name(i), name)) return i;
        raise_database_error(u"The record set has no field \"" + std::u16string(name) + u"\".");
    }
    if (column.vt == VT_EMPTY || column.vt == VT_NULL || column.vt == VT_ERROR)
        raise_database_error(u"The field position is missing.");
    Variant copy;
    // The platform's VariantCopy takes its source as non-const; it does not change it.
    check(VariantCopy(copy.get(), const_cast<VARIANT*>(&column)));
    double index = copy.to_double();
    if (!(index >= 0 && index < count && index == std::floor(index)))
        raise_database_error(u"The record set has no field at position " + copy.to_text() + u".");
    return int(index);
}

HRESULT STDMETHODCALLTYPE ForwardRecordset::get_FieldValue(VARIANT column, VARIANT* value)
try {
    if (!value) return E_POINTER;
    VariantInit(value);
    check_open(closed_);
    fail_if_interrupted(interrupted_);
    if (!on_row_) raise_database_error(u"The record set has no current row.");
    *value = value_at(column_index(column)).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE ForwardRecordset::MoveNext()
try {
    check_open(closed_);
    fail_if_interrupted(interrupted_);
    if (!on_row_) raise_database_error(u"The record set is already past its last row.");
    if (auto database = database_.lock()) database->commit_if_due();
    advance();
    // A walk over a table keeps the thread from its first row to its last: between two rows the
    // host's windows repaint what needs it (a window uncovered, the progress window's text).
    forms::window_system().let_paint_through();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE ForwardRecordset::get_EOF(VARIANT_BOOL* eof)
try {
    if (!eof) return E_POINTER;
    *eof = VARIANT_FALSE;
    check_open(closed_);
    *eof = on_row_ ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE ForwardRecordset::Close()
try {
    check_open(closed_);
    closed_ = true;
    on_row_ = false;
    if (in_hand_) in_hand_->leave(this);
    // Ends the read at once: the snapshot is let go without waiting for the last reference.
    rows_->close();
    // A walk over a table ends with its write-backs durable: what the page says next counts them.
    if (media_) {
        if (auto database = database_.lock()) database->make_durable();
    }
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE ForwardRecordset::UpdateField(BSTR, BSTR, BSTR, VARIANT*, VARIANT*, SHORT* result)
try {
    if (!result) return E_POINTER;
    *result = 0;
    raise_database_error(u"This record set only reads; write back through a record set opened for it.");
} catch (...) {
    return hresult_from_current_exception();
}
