// IHostRecordSource: the fields and table of a query, and the query text they make.
#pragma once

#include <string>
#include <vector>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/db/run_watcher.h"

class HostRecordSource final : public ComObject<HostRecordSource, IHostRecordSource> {
public:
    // watcher, if any, hears of each media table the source is set to.
    explicit HostRecordSource(std::u16string key, RunWatcher* watcher = nullptr)
        : key_(std::move(key)), watcher_(watcher) {}

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
    RunWatcher* watcher_;
    std::vector<Field> fields_;
    std::u16string table_;  // a media table as the host spells it; empty until set
};
