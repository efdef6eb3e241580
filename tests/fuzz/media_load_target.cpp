// Loading a flattened object as the update run does: the record's text (one character a byte,
// with or without the desktop database header) goes through CMediaObjectHandler::LoadObject into
// the real container control, with the host's own services on a host of its own.
// A load either succeeds and flattens back to the image it loaded, or fails with the handler's
// error; either way it leaves no temporary file behind.
#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "com/error.h"
#include "media/CMediaObjectHandler.h"
#include "platform/ole/ansi_codepage.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole_control.h"
#include "support/host_fixture.h"

namespace {

struct Session {
    TestHost host;
    ComPtr<ISessionContext> context = host.session();
    CMediaObjectHandler handler;
};

Session* g_session = nullptr;

bool folder_is_empty(const std::filesystem::path& folder) {
    return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_session = new Session;
    g_session->handler.Init(g_session->context);
    std::atexit([] { delete g_session; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_session) LLVMFuzzerInitialize(nullptr, nullptr);
    ComPtr<IOleContainerControl> control;
    check(CreateOleContainerControl(control.put()));
    const std::u16string record = pathmender::ole::ansi_decode(std::span(data, size));

    bool loaded = false;
    try {
        g_session->handler.LoadObject(control.get(), record);
        loaded = true;
    } catch (const ComError& e) {
        // Too short to hold anything, or not an object: nothing else may go wrong.
        FUZZ_CHECK(e.number == 5 || e.number == error_number(RuntimeError::OleLoadFromFile));
    }
    FUZZ_CHECK(folder_is_empty(g_session->host.temp));

    SHORT type = -1;
    check(control->get_OLEType(&type));
    if (!loaded) {
        FUZZ_CHECK(type == kOleTypeNone);
        return 0;
    }
    FUZZ_CHECK(type == kOleTypeLinked || type == kOleTypeEmbedded);

    // The object flattens back to the image it came from, without the header and what followed.
    const std::u16string flat = g_session->handler.FlattenObject(control.get());
    const std::size_t start = pathmender::ole::desktop_database_header_length(std::span(data, size));
    FUZZ_CHECK(!flat.empty() && start + flat.size() <= record.size());
    FUZZ_CHECK(std::u16string_view(record).substr(start, flat.size()) == flat);
    FUZZ_CHECK(folder_is_empty(g_session->host.temp));
    return 0;
}
