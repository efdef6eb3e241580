// The Windows Script Host network object of the stand-in workstation.
#pragma once

#include "platform/wsh_network.h"

// A new network object over the connections file (see platform/network.h), with one reference.
HRESULT CreateWshNetwork(IWshNetwork2** network);
