#include "network_file_collection.h"

#include "com/error.h"
#include "dispatch_enumerator.h"
#include "network_file.h"

NetworkFileCollection::NetworkFileCollection(std::vector<Member> members)
    : members_(std::make_shared<const std::vector<Member>>(std::move(members))) {}

HRESULT STDMETHODCALLTYPE NetworkFileCollection::get_Count(LONG* count)
try {
    if (!count) return E_POINTER;
    *count = 0;
    *count = LONG(members_->size());
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFileCollection::get__NewEnum(IUnknown** enumerator)
try {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    auto members = members_;
    auto made = make_com<DispatchEnumerator>(members->size(), [members](std::size_t i) {
        const Member& member = (*members)[i];
        return ComPtr<IDispatch>(make_com<NetworkFile>(member.unc, member.name).get());
    });
    *enumerator = made.detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
