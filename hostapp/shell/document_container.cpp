#include "hostapp/shell/document_container.h"

#include <fstream>
#include <sstream>

#include "com/error.h"
#include "com/utf.h"

namespace {

[[noreturn]] void invalid(std::string_view origin, int line, const std::string& what) {
    std::string where = std::string(origin) + (line > 0 ? ":" + std::to_string(line) : "");
    raise_error(RuntimeError::InvalidFileFormat, utf16("Invalid file format: " + where + ": " + what));
}

}  // namespace

PageFile parse_page_file(std::string_view text, std::string_view origin) {
    PageFile page;
    bool have_clsid = false;
    int number = 0;
    while (!text.empty()) {
        ++number;
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        auto equals = line.find('=');
        if (equals == std::string_view::npos) invalid(origin, number, "expected Name=value");
        std::string_view name = line.substr(0, equals);
        std::string value(line.substr(equals + 1));
        if (name == "CLSID") {
            auto clsid = parse_guid(value);
            if (!clsid) invalid(origin, number, "malformed class identifier " + value);
            page.clsid = *clsid;
            have_clsid = true;
        } else if (name == "Document") {
            page.document = value;
        } else if (name == "ProgID") {
            page.prog_id = value;
        }
        // Other names are for other readers of the file.
    }
    if (!have_clsid) invalid(origin, 0, "no CLSID line");
    return page;
}

PageFile read_page_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) raise_error(RuntimeError::FileNotFound, utf16("File not found: " + file.string()));
    std::ostringstream text;
    text << in.rdbuf();
    return parse_page_file(text.str(), file.string());
}

OpenDocument::~OpenDocument() {
    view_.reset();
    document_.reset();
}

forms::Form& OpenDocument::form() const {
    forms::Form* form = nullptr;
    check(view_->get_Form(&form));
    return *form;
}

void OpenDocument::resize(int width, int height) const { form().resize_client(width, height); }

std::unique_ptr<OpenDocument> open_document(const std::filesystem::path& page_file) {
    PageFile page = read_page_file(page_file);
    std::shared_ptr<ServerModule> module = load_server_module(page.clsid);
    auto create = reinterpret_cast<DllCreateDocumentFn>(module->symbol(kDllCreateDocument));
    if (!create)
        raise_error(RuntimeError::CannotCreateObject,
                    utf16(module->path().string() + " cannot create documents (it has no DllCreateDocument)"));
    ComPtr<IDispatch> document;
    ComPtr<IDocumentView> view;
    check(create(page.clsid, uuidof<IDispatch>(), document.put_void(), view.put()));
    return std::make_unique<OpenDocument>(std::move(module), std::move(document), std::move(view));
}
