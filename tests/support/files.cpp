#include "support/files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "testkit/object_builder.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

std::vector<std::uint8_t> read_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_bytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

fs::path corpus_path(std::string_view name) { return fs::path(PATHMENDER_CORPUS_DIR) / name; }

std::vector<std::uint8_t> read_corpus(std::string_view name) {
    if (!fs::is_regular_file(corpus_path(name))) throw std::runtime_error("corpus file missing: " + std::string(name));
    return read_bytes(corpus_path(name));
}

std::vector<std::string> corpus_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PATHMENDER_CORPUS_DIR))
        if (entry.path().extension() == ".bin") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> link_to(std::u16string_view path) {
    auto bytes = read_corpus(kLinkedExcel);
    std::size_t consumed = 0;
    auto object = ole::read_ole_object(bytes, consumed);
    ole::create_link(object, path);
    return ole::write_ole_object(object);
}

std::u16string source_doc_of(const std::vector<std::uint8_t>& bytes) {
    const ole::ByteView all(bytes);
    std::size_t consumed = 0;
    return ole::source_doc(ole::read_ole_object(all.subspan(ole::desktop_database_header_length(all)), consumed));
}
