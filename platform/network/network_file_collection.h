// A folder's Files: the files it held when asked, in listing order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "com/object.h"
#include "platform/partial_interfaces.h"

class NetworkFileCollection final : public ComObject<NetworkFileCollection, PartialFileCollection> {
public:
    struct Member {
        std::u16string unc;
        std::u16string name;
    };
    explicit NetworkFileCollection(std::vector<Member> members);

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override;

private:
    // Shared with the enumerators, which may outlive the collection.
    std::shared_ptr<const std::vector<Member>> members_;
};
