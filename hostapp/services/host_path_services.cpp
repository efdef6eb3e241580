#include "hostapp/services/host_path_services.h"

#include <string>

#include "com/error.h"
#include "com/utf.h"

HRESULT STDMETHODCALLTYPE HostPathServices::FolderPath(LONG folder_id, BSTR* path)
try {
    if (!path) return E_POINTER;
    *path = nullptr;
    if (folder_id != kPageFileFolder)
        raise_error(RuntimeError::InvalidProcedureCall,
                    u"FolderPath: the host has no folder " + utf16(std::to_string(folder_id)) + u".");
    *path = make_bstr(folder_text(environment_->page_folder));
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
