// A folder's SubFolders: the real folders it held when asked, in listing order.
#pragma once

#include <memory>
#include <vector>

#include "com/object.h"
#include "network_folder.h"
#include "platform/partial_interfaces.h"

class NetworkFolderCollection final : public ComObject<NetworkFolderCollection, PartialFolderCollection> {
public:
    explicit NetworkFolderCollection(std::vector<NetworkFolderPlace> members);

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override;

private:
    // Shared with the enumerators, which may outlive the collection.
    std::shared_ptr<const std::vector<NetworkFolderPlace>> members_;
};
