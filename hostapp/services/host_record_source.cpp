#include "hostapp/services/host_record_source.h"

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"

namespace {

// Names go into the query as the database spells them; characters that can stand in no name are
// refused at once.
void check_name(std::u16string_view name, std::u16string_view what) {
    bool usable = !name.empty();
    for (char16_t c : name) usable = usable && c >= 0x20;
    if (!usable) raise_database_error(u"The " + std::u16string(what) + u" \"" + std::u16string(name) + u"\" is not valid.");
}

}  // namespace

HRESULT STDMETHODCALLTYPE HostRecordSource::get_SQL(BSTR* sql)
try {
    if (!sql) return E_POINTER;
    *sql = nullptr;
    if (table_.empty()) raise_database_error(u"The record source has no table.");
    if (fields_.empty()) raise_database_error(u"The record source has no fields.");
    std::u16string text = u"SELECT ";
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i) text += u", ";
        text += database_->name_sql(fields_[i].name);
        if (!fields_[i].alias.empty()) text += u" AS " + database_->name_sql(fields_[i].alias);
    }
    text += u" FROM dbo." + database_->name_sql(table_);
    *sql = make_bstr(text);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostRecordSource::AddField(BSTR name, BSTR alias, VARIANT)
try {
    check_name(bstr_view(name), u"field name");
    if (!bstr_view(alias).empty()) check_name(bstr_view(alias), u"field alias");
    fields_.push_back({std::u16string(bstr_view(name)), std::u16string(bstr_view(alias))});
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostRecordSource::SetTable(BSTR table, LONG flags)
try {
    if (flags != 0)
        raise_error(RuntimeError::InvalidProcedureCall,
                    u"SetTable: flags " + utf16(std::to_string(flags)) + u" are not supported.");
    // Only the media tables are served; any other name never reaches a query.
    std::optional<std::u16string_view> media_table = find_media_table(bstr_view(table));
    if (!media_table)
        raise_database_error(u"\"" + std::u16string(bstr_view(table)) + u"\" is not a media table of the host database.");
    table_ = std::u16string(*media_table);
    if (RunWatcher* watcher = database_->hooks().watcher) watcher->table_chosen(table_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostRecordSource::get_Key(BSTR* key)
try {
    if (!key) return E_POINTER;
    *key = nullptr;
    *key = make_bstr(key_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
