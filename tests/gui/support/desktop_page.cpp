#include "gui/support/desktop_page.h"

#include <fstream>
#include <random>

#include "com/error.h"
#include "gui/support/gui_test_support.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "platform/network.h"
#include "platform/ole/ole_object.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

void DesktopPage::SetUp() {
    std::random_device rd;
    root = fs::temp_directory_path() / ("pm_gui_page_" + std::to_string(rd()));
    network = root / "network";
    temp = root / "temp";
    database_file = root / "host.db";
    fs::create_directories(network);
    fs::create_directories(temp);
    database = std::make_unique<MediaDatabase>(MediaDatabase::create(database_file));

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

void DesktopPage::TearDown() {
    window.reset();
    if (page) page->Closedown();
    page.reset();
    gui_test::settle();
    database.reset();
    revoke_host_classes();
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void DesktopPage::write_drives(const std::vector<std::string>& lines) {
    std::ofstream out(network / "drives.txt");
    for (const auto& line : lines) out << line << "\n";
}

void DesktopPage::make_network_file(const std::string& relative) {
    fs::path file = network / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

std::vector<std::uint8_t> DesktopPage::link_to(std::u16string_view path) {
    std::ifstream in(fs::path(PATHMENDER_CORPUS_DIR) / "container-blob-linked-excel-frx-tambosoft.bin", std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::size_t consumed = 0;
    auto object = pathmender::ole::read_ole_object(bytes, consumed);
    pathmender::ole::create_link(object, path);
    return pathmender::ole::write_ole_object(object);
}

void DesktopPage::open_page() {
    page = make_com<udPathmender>();
    page->UserDocument_Initialize();
    auto session = open_host_session(database_file);
    ISessionContext* raw = session.get();
    check(page->Init(&raw));
    window = std::make_unique<gui::DocumentWindow>(page->page(), u"Test Host");
    window->show();
    gui_test::settle();
}
