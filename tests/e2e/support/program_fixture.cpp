#include "e2e/support/program_fixture.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "com/utf.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

fs::path ProgramFixture::registry;

namespace {

fs::path unique_folder(const std::string& stem) {
    std::random_device rd;
    fs::path folder = fs::temp_directory_path() / (stem + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(folder);
    return folder;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::vector<std::string> ProgramResult::lines() const {
    std::vector<std::string> out;
    std::istringstream in(this->out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

void ProgramFixture::SetUpTestSuite() {
    registry = unique_folder("pm_e2e_registry_") / "registry";
    ::setenv("PATHMENDER_REGISTRY", registry.c_str(), 1);
    std::string command = quoted(std::string(PATHMENDER_BIN_DIR) + "/pathmender") + " register >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

void ProgramFixture::TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(registry.parent_path(), ignored);
}

void ProgramFixture::SetUp() {
    root = unique_folder("pm_e2e_");
    network = root / "network";
    fs::create_directories(network);
    database_file = root / "host.db";
    database_ = std::make_unique<MediaDatabase>(MediaDatabase::create(database_file));
    write_drives({"Z: \\\\NewServer\\Media"});
}

void ProgramFixture::TearDown() {
    database_.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

ProgramResult ProgramFixture::run(const std::vector<std::string>& arguments) const {
    std::string command = quoted(std::string(PATHMENDER_BIN_DIR) + "/pathmender");
    for (const auto& a : arguments) command += " " + quoted(a);
    const fs::path out = root / "stdout.txt", err = root / "stderr.txt";
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

ProgramResult ProgramFixture::update(const std::string& previous, const std::vector<std::string>& more) const {
    std::vector<std::string> arguments{"update", "--db", database_file.string(), "--network", network.string(),
                                       "--previous", previous};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run(arguments);
}

fs::path ProgramFixture::make_network_file(const std::string& relative) const {
    fs::path file = network / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "media";
    return file;
}

void ProgramFixture::write_drives(const std::vector<std::string>& lines) const {
    std::ofstream out(network / "drives.txt");
    for (const auto& line : lines) out << line << "\n";
}

std::vector<std::uint8_t> ProgramFixture::corpus_file(const std::string& name) {
    std::string bytes = slurp(fs::path(PATHMENDER_CORPUS_DIR) / name);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> ProgramFixture::container_link(std::u16string_view path) {
    auto bytes = corpus_file("container-blob-linked-excel-frx-tambosoft.bin");
    std::size_t consumed = 0;
    ole::OleObject object = ole::read_ole_object(bytes, consumed);
    ole::create_link(object, path);
    return ole::write_ole_object(object);
}

std::vector<std::uint8_t> ProgramFixture::embedded_object() {
    return corpus_file("container-blob-embedded-pbrush-ole10native-frx-intuit.bin");
}

std::u16string ProgramFixture::source_doc_of(const std::vector<std::uint8_t>& bytes) {
    std::size_t consumed = 0;
    return ole::source_doc(ole::read_ole_object(bytes, consumed));
}
