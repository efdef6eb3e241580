// What the tests of the plug-in module need of a host: the built module, and small host objects
// whose behaviour each test chooses.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "com/comptr.h"
#include "com/error.h"
#include "com/module_loader.h"
#include "com/object.h"
#include "contracts/host_services.h"
#include "contracts/plugin_interfaces.h"
#include "support/com_checks.h"
#include "support/scoped.h"

namespace test_host {

std::filesystem::path built_module();  // <build>/bin/Pathmender.so

// Calls an export of module with no arguments (DllRegisterServer and the like).
HRESULT call_export(const ServerModule& module, const char* name);

class TestSession final : public ComObject<TestSession, ISessionContext> {
public:
    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* id) override;
    HRESULT STDMETHODCALLTYPE get_ApplicationTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE CreateDataObject(BSTR key, IHostDataObject** data) override;
};

// An object the session getter hands out that does not support ISessionContext.
class NotASession final : public ComObject<NotASession, IDispatch> {};

class TestApplicationContext final : public ComObject<TestApplicationContext, IHostApplicationContext> {
public:
    explicit TestApplicationContext(ComPtr<IDispatch> session) : session_(std::move(session)) {}
    HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) override;

private:
    ComPtr<IDispatch> session_;
};

class TestApplication final : public ComObject<TestApplication, IHostApplication> {
public:
    explicit TestApplication(ComPtr<IDispatch> session) : context_(make_com<TestApplicationContext>(std::move(session))) {}
    HRESULT STDMETHODCALLTYPE get_ApplicationContext(IHostApplicationContext** context) override;

private:
    ComPtr<TestApplicationContext> context_;
};

// FormatText that gives its text back unchanged.
class EchoStringServices final : public ComObject<EchoStringServices, IHostStringServices> {
public:
    HRESULT STDMETHODCALLTYPE FormatText(BSTR text, SAFEARRAY** values, BSTR* result) override;
};

// FolderPath(12) gives folder_text as it stands, separator or not.
class FixedPathServices final : public ComObject<FixedPathServices, IHostPathServices> {
public:
    HRESULT STDMETHODCALLTYPE FolderPath(LONG folder_id, BSTR* path) override;
    static std::u16string& folder_text();
};

// A document stand-in for OnLoad: records what the registration object does to it.
class RecordingPage final : public ComObject<RecordingPage, _udPathmender> {
public:
    HRESULT STDMETHODCALLTYPE Init(ISessionContext** SessionContext) override;
    HRESULT STDMETHODCALLTYPE Closedown() override;

    int init_calls = 0;
    int closedown_calls = 0;
    ISessionContext* received = nullptr;  // what Init found in the variable passed
    ComError init_failure{0, u""};        // number 0: Init succeeds
    ComError closedown_failure{0, u""};
};

// Registers the string and path services with the running program for the object's life.
class ScopedHostServices {
public:
    ScopedHostServices();
    ~ScopedHostServices();
};

// The registration object created from the built module through a temporary registry, by its
// ProgID, as the host creates it.
class CreatedPlugin : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScopedRegistry registry_;
    ScopedHostServices services_;
    std::shared_ptr<ServerModule> module_;
    ComPtr<IVXHostedPlugin> plugin_;
    ComPtr<IVXHeaderInfo> header_;
};

}  // namespace test_host
