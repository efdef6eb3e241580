// On Windows the file-system and network objects are the system's own, created through COM.
#include "com/unknown.h"
#include "platform/file_system_object.h"
#include "platform/wsh_network_object.h"

HRESULT CreateFileSystemObject(IFileSystem** fso, ListingWatcher*) {
    if (!fso) return E_POINTER;
    *fso = nullptr;
    return ::CoCreateInstance(CLSID_FileSystemObject, nullptr, CLSCTX_INPROC_SERVER, uuidof<IFileSystem>(),
                              reinterpret_cast<void**>(fso));
}

HRESULT CreateWshNetwork(IWshNetwork2** network) {
    if (!network) return E_POINTER;
    *network = nullptr;
    return ::CoCreateInstance(CLSID_WshNetwork, nullptr, CLSCTX_INPROC_SERVER, uuidof<IWshNetwork2>(),
                              reinterpret_cast<void**>(network));
}
