// The host's classes are the program's own, as a real host's are: class objects registered with
// the system for as long as the program runs, in its one apartment, for in-process callers. The
// plug-in asks for them by class identifier only, never by ProgID, so nothing goes into the
// registry for them: nothing outlives the program, and nothing of it can be found by another.
#include "hostapp/services/class_registration.h"

#include <cstring>
#include <map>

#include "com/error.h"

namespace {

// The system hands out a cookie for each registration, and revokes by it.
std::map<GUID, DWORD, bool (*)(const GUID&, const GUID&)>& cookies() {
    static std::map<GUID, DWORD, bool (*)(const GUID&, const GUID&)> table(
        [](const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) < 0; });
    return table;
}

}  // namespace

void register_class_object(REFCLSID clsid, IUnknown* factory) {
    DWORD cookie = 0;
    check(::CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    cookies()[clsid] = cookie;
}

void revoke_class_object(REFCLSID clsid) {
    auto found = cookies().find(clsid);
    if (found == cookies().end()) return;
    ::CoRevokeClassObject(found->second);
    cookies().erase(found);
}
