#include "hostapp/services/kw_open.h"

#include <filesystem>
#include <system_error>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/host_database.h"
#include "hostapp/db/database_backend.h"
#include "hostapp/db/database_location.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"

HRESULT STDMETHODCALLTYPE KWOpen::Initialize(BSTR application_key, BSTR, BSTR, LONG, BSTR database, LONG, VARIANT_BOOL* opened)
try {
    if (!opened) return E_POINTER;
    *opened = VARIANT_FALSE;
    session_.reset();
    last_error_.clear();

    if (bstr_view(application_key) != kStandaloneApplicationKey) {
        last_error_ = u"the application key \"" + std::u16string(bstr_view(application_key)) +
                      u"\" is not registered with this host";
        return S_OK;
    }
    std::filesystem::path file;
    if (!bstr_view(database).empty()) {
        file = utf8(bstr_view(database));
    } else if (!environment_->connection.empty()) {
        return open_on_server(opened);
    } else {
        if (environment_->database.empty()) {
            last_error_ = utf16(kDefaultDatabaseVariable) + u" is not set";
            return S_OK;
        }
        file = environment_->database;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        last_error_ = u"the database file " + utf16(file.string()) + u" does not exist";
        return S_OK;
    }
    try {
        // Opened once here, so that a file that is no host database is reported now.
        HostDatabase opened_once(open_database_backend(DatabaseLocation::of_file(file), environment_->busy_timeout_ms,
                                                       environment_->hooks.write_backs),
                                 environment_->hooks);
    } catch (const ComError& e) {
        last_error_ = u"the database file " + utf16(file.string()) + u" cannot be opened: " + e.description;
        return S_OK;
    }
    session_ = make_com<HostSessionContext>(file, environment_);
    *opened = VARIANT_TRUE;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT KWOpen::open_on_server(VARIANT_BOOL* opened) {
    const DatabaseLocation location = DatabaseLocation::on_server(environment_->connection);
    try {
        // Connected once here, so that a server that refuses, or a database that is no host database, is reported now.
        HostDatabase opened_once(
            open_database_backend(location, environment_->busy_timeout_ms, environment_->hooks.write_backs),
            environment_->hooks);
    } catch (const ComError& e) {
        last_error_ = u"the database " + utf16(location.shown()) + u" cannot be opened: " + e.description;
        return S_OK;
    }
    session_ = make_com<HostSessionContext>(std::filesystem::path(), environment_);
    *opened = VARIANT_TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE KWOpen::get_SessionContext(ISessionContext** context)
try {
    if (!context) return E_POINTER;
    *context = nullptr;
    if (!session_)
        raise_error(RuntimeError::ObjectVariableNotSet, u"KWOpen has no open session: Initialize did not succeed.");
    *context = ComPtr<ISessionContext>(session_.get()).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE KWOpen::get_LastError(BSTR* text)
try {
    if (!text) return E_POINTER;
    *text = nullptr;
    *text = make_bstr(last_error_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
