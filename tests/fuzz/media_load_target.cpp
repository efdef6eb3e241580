// Loading a flattened object as the update run does: the record's text (one character a byte,
// with or without the desktop database header) goes through CMediaObjectHandler::LoadObject into
// the real container control, with the host's own services and a temporary folder of its own.
// A load either succeeds and flattens back to the image it loaded, or fails with the handler's
// error; either way it leaves no temporary file behind.
#include "fuzz_support.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "com/error.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "media/CMediaObjectHandler.h"
#include "platform/ansi_codepage.h"
#include "platform/ole_control.h"

namespace {

constexpr std::uint8_t kHeaderSignature[] = {0x15, 0x1C};

struct Session {
    std::filesystem::path temp_folder;
    ComPtr<ISessionContext> context;
    CMediaObjectHandler handler;
};

Session* g_session = nullptr;

void remove_temp_folder() {
    if (!g_session) return;
    std::error_code ignored;
    std::filesystem::remove_all(g_session->temp_folder, ignored);
}

bool folder_is_empty(const std::filesystem::path& folder) {
    return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

// Where the image starts in the record, as the handler reads the header.
std::size_t image_start(const std::uint8_t* data, std::size_t size) {
    if (size < 4 || !std::equal(std::begin(kHeaderSignature), std::end(kHeaderSignature), data)) return 0;
    return std::size_t(data[2]) | std::size_t(data[3]) << 8;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "pm-fuzz-media-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) fuzz_fail("no temporary folder");
    g_session = new Session{pattern, {}, {}};
    std::atexit(remove_temp_folder);

    HostEnvironment environment = host_environment();
    environment.database.clear();
    environment.temp_folder = g_session->temp_folder;
    configure_host(environment);
    register_host_classes();
    g_session->context = open_host_session(g_session->temp_folder / "unused.db");
    g_session->handler.Init(g_session->context);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_session) LLVMFuzzerInitialize(nullptr, nullptr);
    ComPtr<IOleContainerControl> control;
    check(CreateOleContainerControl(control.put()));
    const std::u16string record = ansi_decode(std::span(data, size));

    bool loaded = false;
    try {
        g_session->handler.LoadObject(control.get(), record);
        loaded = true;
    } catch (const ComError& e) {
        // Too short to hold anything, or not an object: nothing else may go wrong.
        FUZZ_CHECK(e.number == 5 || e.number == error_number(RuntimeError::OleLoadFromFile));
    }
    FUZZ_CHECK(folder_is_empty(g_session->temp_folder));

    SHORT type = -1;
    check(control->get_OLEType(&type));
    if (!loaded) {
        FUZZ_CHECK(type == kOleTypeNone);
        return 0;
    }
    FUZZ_CHECK(type == kOleTypeLinked || type == kOleTypeEmbedded);

    // The object flattens back to the image it came from, without the header and what followed.
    const std::u16string flat = g_session->handler.FlattenObject(control.get());
    const std::size_t start = image_start(data, size);
    FUZZ_CHECK(!flat.empty() && start + flat.size() <= record.size());
    FUZZ_CHECK(std::u16string_view(record).substr(start, flat.size()) == flat);
    FUZZ_CHECK(folder_is_empty(g_session->temp_folder));
    return 0;
}
