// A file of the network folder, as the FileSystemObject hands it out.
#pragma once

#include <string>

#include "com/object.h"
#include "platform/partial_interfaces.h"

class NetworkFile final : public ComObject<NetworkFile, PartialFile> {
public:
    NetworkFile(std::u16string unc_path, std::u16string name);

    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;

private:
    std::u16string unc_path_;
    std::u16string name_;
};
