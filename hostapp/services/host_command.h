// IHostCommand: hands out record sources, each under a key of its own, until they are released.
#pragma once

#include <map>
#include <string>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_record_source.h"

class HostCommand final : public ComObject<HostCommand, IHostCommand> {
public:
    // Record sources of queries on database.
    explicit HostCommand(std::shared_ptr<const HostDatabase> database) : database_(std::move(database)) {}

    HRESULT STDMETHODCALLTYPE CreateRecordSource(VARIANT optional, IHostRecordSource** source) override;
    HRESULT STDMETHODCALLTYPE ReleaseRecordSource(VARIANT key) override;

    std::size_t open_sources() const { return sources_.size(); }

private:
    std::shared_ptr<const HostDatabase> database_;
    std::map<std::u16string, ComPtr<HostRecordSource>> sources_;
    unsigned long next_number_ = 1;
};
