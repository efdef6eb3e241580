#include "file_system_object.h"

#include "com/error.h"
#include "network_folder.h"
#include "platform/file_system_object.h"
#include "platform/unc_path.h"

namespace {

bool names_kind(BSTR path, NetworkItemKind kind) {
    std::optional<ResolvedUncPath> resolved = resolve_unc_path(bstr_view(path));
    return resolved && resolved->kind == kind;
}

}  // namespace

HRESULT STDMETHODCALLTYPE FileSystemObject::FileExists(BSTR path, VARIANT_BOOL* exists)
try {
    if (!exists) return E_POINTER;
    *exists = VARIANT_FALSE;
    *exists = names_kind(path, NetworkItemKind::file) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE FileSystemObject::FolderExists(BSTR path, VARIANT_BOOL* exists)
try {
    if (!exists) return E_POINTER;
    *exists = VARIANT_FALSE;
    *exists = names_kind(path, NetworkItemKind::folder) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE FileSystemObject::GetFolder(BSTR path, IFolder** folder)
try {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    std::optional<ResolvedUncPath> resolved = resolve_unc_path(bstr_view(path));
    if (!resolved || resolved->kind != NetworkItemKind::folder) raise_standard_error(RuntimeError::PathNotFound);
    *folder = make_com<NetworkFolder>(NetworkFolderPlace{std::move(resolved->disk), std::move(resolved->share),
                                                         std::move(resolved->unc), std::move(resolved->name), watcher_})
                  .detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT CreateFileSystemObject(IFileSystem** fso, ListingWatcher* watcher)
try {
    if (!fso) return E_POINTER;
    *fso = nullptr;
    *fso = make_com<FileSystemObject>(watcher).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
