// The Windows Script Host network object over the workstation's connections file.
#pragma once

#include "com/object.h"
#include "platform/wsh_network.h"

class WshNetwork final : public ComObject<WshNetwork, IWshNetwork2> {
public:
    // Reads the connections file afresh: a later change shows in the next collection, not in this one.
    HRESULT STDMETHODCALLTYPE EnumNetworkDrives(IWshCollection** drives) override;
};
