#include "wsh_network.h"

#include "com/error.h"
#include "platform/network.h"
#include "platform/wsh_network_object.h"
#include "wsh_collection.h"

HRESULT STDMETHODCALLTYPE WshNetwork::EnumNetworkDrives(IWshCollection** drives)
try {
    if (!drives) return E_POINTER;
    *drives = nullptr;
    std::vector<std::u16string> items;
    for (NetworkConnection& connection : read_network_connections()) {
        items.push_back(std::move(connection.local_name));
        items.push_back(std::move(connection.remote_name));
    }
    *drives = make_com<WshCollection>(std::move(items)).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT CreateWshNetwork(IWshNetwork2** network)
try {
    if (!network) return E_POINTER;
    *network = nullptr;
    *network = make_com<WshNetwork>().detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
