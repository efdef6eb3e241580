// IHostRecordSource: the fields and table of a query, and the query text they make.
#pragma once

#include <string>
#include <vector>

#include "com/object.h"
#include "contracts/host_services.h"
#include <memory>

#include "hostapp/db/host_database.h"

class HostRecordSource final : public ComObject<HostRecordSource, IHostRecordSource> {
public:
    // A source of a query on database, whose statements spell its names; the hooks' watcher, if
    // any, hears of each media table the source is set to.
    HostRecordSource(std::u16string key, std::shared_ptr<const HostDatabase> database)
        : key_(std::move(key)), database_(std::move(database)) {}

    HRESULT STDMETHODCALLTYPE get_SQL(BSTR* sql) override;
    HRESULT STDMETHODCALLTYPE AddField(BSTR name, BSTR alias, VARIANT optional) override;
    HRESULT STDMETHODCALLTYPE SetTable(BSTR table, LONG flags) override;
    HRESULT STDMETHODCALLTYPE get_Key(BSTR* key) override;

private:
    struct Field {
        std::u16string name;
        std::u16string alias;
    };

    std::u16string key_;
    std::shared_ptr<const HostDatabase> database_;
    std::vector<Field> fields_;
    std::u16string table_;  // a media table as the host spells it; empty until set
};
