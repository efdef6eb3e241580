// The Windows Script Host network object over the workstation's connections file.
#pragma once

#include "com/object.h"
#include "platform/partial_interfaces.h"

// Answers IWshNetwork2, its default interface, and IWshNetwork, as the platform's object does.
class WshNetwork final : public ComObject<WshNetwork, PartialWshNetwork> {
public:
    // Reads the connections file afresh: a later change shows in the next collection, not in this one.
    HRESULT STDMETHODCALLTYPE EnumNetworkDrives(IWshCollection** drives) override;

    void* query_extra(REFIID riid) { return riid == IWshNetwork::iid ? static_cast<IWshNetwork*>(this) : nullptr; }
};
