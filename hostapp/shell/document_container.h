// The shell's document container: opens a page file, which names the class of its document, and
// has the module registered for that class create the document and run its Initialize.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "com/comptr.h"
#include "com/guid.h"
#include "com/module_loader.h"
#include "contracts/document_view.h"
#include "platform/forms/form.h"

// What a page file says: "Name=value" lines; "#" lines and blank lines are skipped.
struct PageFile {
    std::string document;  // the document's class name
    CLSID clsid{};         // the class the container creates
    std::string prog_id;   // the document's ProgID, for people reading the file
};

// Raises 53 "File not found" for a missing file and 321 "Invalid file format" (naming the line)
// for one without a valid CLSID.
PageFile read_page_file(const std::filesystem::path& file);
PageFile parse_page_file(std::string_view text, std::string_view origin);

// One open document. The module that made it stays loaded while this is held.
class OpenDocument {
public:
    OpenDocument(std::shared_ptr<ServerModule> module, ComPtr<IDispatch> document, ComPtr<IDocumentView> view)
        : module_(std::move(module)), document_(std::move(document)), view_(std::move(view)) {}
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;
    ~OpenDocument();

    const ComPtr<IDispatch>& document() const { return document_; }
    forms::Form& form() const;
    // The container changed the document's client area (twips): the document's Resize runs.
    void resize(int width, int height) const;

private:
    std::shared_ptr<ServerModule> module_;  // declared first: released last
    ComPtr<IDispatch> document_;
    ComPtr<IDocumentView> view_;
};

// Opens page_file: raises the file's errors (above), "Class not registered" when no module is
// registered for its class, and any error of the document's creation or Initialize.
std::unique_ptr<OpenDocument> open_document(const std::filesystem::path& page_file);
