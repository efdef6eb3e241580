// A Windows Script Host network object: the stand-in workstation's here, the system's own on Windows.
#pragma once

#include "platform/wsh_network.h"

// A new network object, with one reference; here over the connections file (platform/network.h).
HRESULT CreateWshNetwork(IWshNetwork2** network);
