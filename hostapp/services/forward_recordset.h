// A forward-only record set over one query, read through a row source on a connection of its own:
// it steps row by row (it never holds more than the current row) and reads one snapshot of the
// database from its first row to its close.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "com/object.h"
#include "com/variant.h"
#include "contracts/host_services.h"
#include "hostapp/db/host_database.h"
#include "hostapp/db/row_source.h"

class ForwardRecordset final : public ComObject<ForwardRecordset, IHostRecordset> {
public:
    // Stands on the first row of rows. Of database, when given: the hooks' watcher hears of every
    // media record stepped onto, and once the run is interrupted reading fails; its records in
    // hand are told which media record this stands on; and its group of write-backs is committed
    // once due, at each step.
    explicit ForwardRecordset(std::unique_ptr<RowSource> rows, const std::shared_ptr<HostDatabase>& database = nullptr);
    ~ForwardRecordset() override;

    HRESULT STDMETHODCALLTYPE get_FieldValue(VARIANT column, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE MoveNext() override;
    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* eof) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE UpdateField(BSTR table, BSTR field, BSTR key_field, VARIANT* key, VARIANT* value,
                        SHORT* result) override;

private:
    int column_index(const VARIANT& column) const;
    // Steps to the next row and tells the run's watcher what it stepped onto.
    void advance();
    // The current row's value in column as the page reads it.
    Variant value_at(int column) const;

    std::unique_ptr<RowSource> rows_;
    bool on_row_ = false;
    bool closed_ = false;
    // Where the MEDIAID and Object of a media table are, when the query reads both.
    const std::optional<MediaColumns>& media_;
    RunWatcher* watcher_ = nullptr;
    const std::atomic<bool>* interrupted_ = nullptr;
    std::shared_ptr<RecordsInHand> in_hand_;
    std::weak_ptr<HostDatabase> database_;  // the record set does not keep it open
    bool walked_ = false;
};
