#include "network_folder_collection.h"

#include "com/error.h"
#include "dispatch_enumerator.h"

NetworkFolderCollection::NetworkFolderCollection(std::vector<NetworkFolderPlace> members)
    : members_(std::make_shared<const std::vector<NetworkFolderPlace>>(std::move(members))) {}

HRESULT STDMETHODCALLTYPE NetworkFolderCollection::get_Count(LONG* count)
try {
    if (!count) return E_POINTER;
    *count = 0;
    *count = LONG(members_->size());
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFolderCollection::get__NewEnum(IUnknown** enumerator)
try {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    auto members = members_;
    auto made = make_com<DispatchEnumerator>(members->size(), [members](std::size_t i) {
        return ComPtr<IDispatch>(make_com<NetworkFolder>((*members)[i]).get());
    });
    *enumerator = made.detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
