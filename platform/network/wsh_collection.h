// The collection EnumNetworkDrives returns: local name and remote name of each connection, in turn.
#pragma once

#include <string>
#include <vector>

#include "com/object.h"
#include "platform/partial_interfaces.h"

class WshCollection final : public ComObject<WshCollection, PartialWshCollection> {
public:
    explicit WshCollection(std::vector<std::u16string> items);

    // index: a variant holding an integer (VT_I2, VT_I4, or VT_I4 by reference), 0 to Count - 1.
    // Any other type raises 13 "Type mismatch", an index out of range 9 "Subscript out of range".
    HRESULT STDMETHODCALLTYPE Item(VARIANT* index, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE Count(LONG* count) override;

private:
    std::vector<std::u16string> items_;
};
