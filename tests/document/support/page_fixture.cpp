#include "document/support/page_fixture.h"

#include <cstdlib>
#include <fstream>
#include <random>

#include "com/class_factory.h"
#include "com/error.h"
#include "hostapp/host_session_context.h"
#include "hostapp/host_classes.h"
#include "hostapp/host_environment.h"
#include "platform/network.h"
#include "platform/ole/ole_object.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

void PageFixture::SetUp() {
    std::random_device rd;
    root = fs::temp_directory_path() / ("pm_page_" + std::to_string(rd()));
    network = root / "network";
    temp = root / "temp";
    database_file = root / "host.db";
    fs::create_directories(network);
    fs::create_directories(temp);
    database_ = std::make_unique<MediaDatabase>(MediaDatabase::create(database_file));

    HostEnvironment env = default_host_environment();
    env.database = database_file;
    env.temp_folder = temp;
    env.application_title = u"Test Host";
    configure_host(env);
    set_network_root(network);
    set_connections_file(network / "drives.txt");
    register_host_classes();
    register_platform_classes();
}

void PageFixture::TearDown() {
    database_.reset();
    revoke_host_classes();
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void PageFixture::write_drives(const std::vector<std::string>& lines) {
    std::ofstream out(network / "drives.txt");
    for (const auto& line : lines) out << line << "\n";
}

fs::path PageFixture::make_network_file(const std::string& relative, const std::string& content) {
    fs::path file = network / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
    return file;
}

ComPtr<ISessionContext> PageFixture::host_session() {
    return open_host_session(database_file);
}

ComPtr<udPathmender> PageFixture::open_page(bool hand_over_session) {
    auto page = make_com<udPathmender>();
    page->UserDocument_Initialize();
    if (hand_over_session) {
        auto session = host_session();
        ISessionContext* raw = session.get();
        check(page->Init(&raw));
    }
    return page;
}

std::vector<std::u16string> PageFixture::messages() const {
    std::vector<std::u16string> out;
    for (const auto& m : windows.recorder.messages) out.push_back(m.prompt);
    return out;
}

void PageFixture::press_update(udPathmender& page, std::u16string_view typed) {
    auto& previous = control<forms::TextBox>(page, "txtPrevious");
    previous.set_Text(u"");
    previous.SetFocus();
    previous.type(typed);
    control<forms::CommandButton>(page, "cmdUpdate").press();
}

std::vector<std::uint8_t> PageFixture::link_to(std::u16string_view path) {
    std::ifstream in(fs::path(PATHMENDER_CORPUS_DIR) / "container-blob-linked-excel-frx-tambosoft.bin", std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::size_t consumed = 0;
    auto object = pathmender::ole::read_ole_object(bytes, consumed);
    pathmender::ole::create_link(object, path);
    return pathmender::ole::write_ole_object(object);
}

std::u16string PageFixture::link_of(std::u16string_view table, std::int64_t media_id) {
    std::size_t consumed = 0;
    return pathmender::ole::source_doc(pathmender::ole::read_ole_object(*database().read(table, media_id), consumed));
}
