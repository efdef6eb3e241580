#include "media/support/test_host_services.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "com/object.h"
#include "com/utf.h"

namespace {

struct ServiceState {
    std::u16string location;  // ends with a separator
    int next_serial = 1;
    HostServiceLog log;
};
ServiceState g_state;

std::u16string temp_name(int serial, std::u16string_view extension) {
    return u"pmtemp" + utf16(std::to_string(serial)) + std::u16string(extension);
}

template <class Derived, class Interface>
class CountedService : public ComObject<Derived, Interface> {
public:
    CountedService() { ++g_state.log.created, ++g_state.log.alive; }
    ~CountedService() override { --g_state.log.alive; }
};

class TestOleServices final : public CountedService<TestOleServices, IHostOleServices> {
public:
    HRESULT STDMETHODCALLTYPE get_TempPath(BSTR* location) override {
        if (!location) return E_POINTER;
        *location = make_bstr(g_state.location);
        return S_OK;
    }
};

class TestFileServices final : public CountedService<TestFileServices, IHostFileServices> {
public:
    HRESULT STDMETHODCALLTYPE FolderForFile(BSTR, BSTR* result) override { return not_used(result); }
    HRESULT STDMETHODCALLTYPE SplitPath(BSTR, VARIANT_BOOL, BSTR* result) override { return not_used(result); }
    HRESULT STDMETHODCALLTYPE MakeTempFileName(BSTR* location, BSTR* extension, LONG* number, BSTR* path) override {
        if (!path) return E_POINTER;
        *path = nullptr;
        if (!location || !extension || !number) return E_POINTER;
        g_state.log.last_extension = bstr_view(*extension);
        g_state.log.last_number = *number;
        *path = make_bstr(std::u16string(bstr_view(*location)) +
                          temp_name(g_state.next_serial++, bstr_view(*extension)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_FileSystem(IDispatch** file_system) override {
        if (!file_system) return E_POINTER;
        *file_system = nullptr;
        return E_NOTIMPL;
    }

private:
    static HRESULT not_used(BSTR* result) {
        if (!result) return E_POINTER;
        *result = nullptr;
        return E_NOTIMPL;
    }
};

}  // namespace

TestHostServices::TestHostServices(const std::filesystem::path& location) {
    g_state = ServiceState{};
    g_state.location = utf16((location / "").string());
    check(CoRegisterClassObject(CLSID_HostOleServices, make_com<ClassFactory<TestOleServices>>().get()));
    check(CoRegisterClassObject(CLSID_HostFileServices, make_com<ClassFactory<TestFileServices>>().get()));
}

TestHostServices::~TestHostServices() {
    CoRevokeClassObject(CLSID_HostOleServices);
    CoRevokeClassObject(CLSID_HostFileServices);
}

std::filesystem::path TestHostServices::next_temp_path() const {
    return utf8(g_state.location + temp_name(g_state.next_serial, u".OLE"));
}

const HostServiceLog& TestHostServices::log() const { return g_state.log; }
