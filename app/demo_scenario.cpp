#include "app/demo_scenario.h"

#include <optional>

#include "com/utf.h"
#include "testkit/object_builder.h"

namespace ole = pathmender::ole;

namespace {

enum class Layout {
    container_link,         // A
    container_item_link,    // A, a composite of the file and an item
    headed_ole1_link,       // C + B + trailer
    container_contents,     // A, the server's data in "Contents"
    container_ole10_native, // A, the server's data in "\1Ole10Native"
    headed_ole1_embedded,   // C + B + trailer
};

struct Row {
    std::u16string_view table;
    std::int64_t media_id;
    Layout layout;
    DemoFate fate;
    std::u16string_view link_path;  // links; embedded objects: their server's ProgID (UTF-16 for one column)
    std::u16string_view new_path = {};
    std::size_t payload = 0;
};

// \\OldServer's files, where the update is to find them, and the rest of the media.
const Row kRows[] = {
    {u"AP7VENDORMEDIA", 1, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Vendors\\Acme\\invoice-2019-044.pdf", u"\\\\NewServer\\Media\\Vendors\\Acme\\invoice-2019-044.pdf"},
    {u"AP7VENDORMEDIA", 2, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Vendors\\Globex\\supply-contract.docx",
     u"\\\\NewServer\\Media\\Vendors\\Globex\\supply-contract.docx"},
    {u"AP7VENDORMEDIA", 3, Layout::container_contents, DemoFate::embedded, u"Word.Document.8", {}, 3000},
    {u"AR7CLIENTMEDIA", 1, Layout::container_item_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Clients\\Initech\\statement-2020.xlsx",
     u"\\\\NewServer\\Media\\Clients\\Initech\\statement-2020.xlsx"},
    {u"AR7CLIENTMEDIA", 2, Layout::headed_ole1_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Clients\\M\u00FCller\\angebot.doc", u"\\\\NewServer\\Media\\Clients\\M\u00FCller\\angebot.doc"},
    {u"AR7CLIENTMEDIA", 3, Layout::container_link, DemoFate::other_server,
     u"\\\\Archive\\Scans\\Clients\\initech-1998.tif"},
    {u"AR7CLIENTMEDIA", 4, Layout::headed_ole1_link, DemoFate::other_server,
     u"\\\\Archive\\Scans\\Clients\\globex-1999.doc"},
    {u"EA7FACULTYMEDIA", 1, Layout::container_link, DemoFate::found_by_search,
     u"\\\\OldServer\\Media\\Faculty\\Photos\\hopper.jpg", u"\\\\NewServer\\Media\\Staff\\Portraits\\hopper.jpg"},
    {u"EA7FACULTYMEDIA", 2, Layout::container_ole10_native, DemoFate::embedded, u"PBrush", {}, 2144},
    {u"EA7INDIVIDUALMEDIA", 1, Layout::headed_ole1_embedded, DemoFate::embedded, u"PBrush", {}, 5000},
    {u"EA7INDIVIDUALMEDIA", 2, Layout::container_link, DemoFate::gone,
     u"\\\\OldServer\\Media\\People\\lovelace-cv.pdf"},
    // Typed in another case long ago: the server name matches whatever its case.
    {u"EA7RECORDMEDIA", 1, Layout::container_link, DemoFate::same_folders,
     u"\\\\oldserver\\Media\\Records\\Transcripts\\t-1001.pdf",
     u"\\\\NewServer\\Media\\Records\\Transcripts\\t-1001.pdf"},
    {u"EA7RECORDMEDIA", 2, Layout::headed_ole1_link, DemoFate::found_by_search,
     u"\\\\OldServer\\Media\\Records\\Forms\\enrolment.doc", u"\\\\NewServer\\Media\\Archive\\2020\\Forms\\enrolment.doc"},
    {u"FAASSETMEDIA", 1, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Assets\\Vehicles\\truck-07.jpg", u"\\\\NewServer\\Media\\Assets\\Vehicles\\truck-07.jpg"},
    {u"FAASSETMEDIA", 2, Layout::container_link, DemoFate::other_server, u"\\\\Archive\\Scans\\Assets\\deed-1998.pdf"},
    {u"FAASSETMEDIA", 3, Layout::container_contents, DemoFate::embedded, u"Excel.Sheet.8", {}, 6000},
    {u"GL7PROJECTMEDIA", 1, Layout::container_link, DemoFate::gone,
     u"\\\\OldServer\\Media\\Projects\\Bridge\\site-plan.vsd"},
    {u"GL7PROJECTMEDIA", 2, Layout::container_item_link, DemoFate::found_by_search,
     u"\\\\OldServer\\Media\\Projects\\Bridge\\budget.xls", u"\\\\NewServer\\Media\\Finance\\Budgets\\budget.xls"},
    {u"PY7EMPLOYEEMEDIA", 1, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Staff\\Photos\\e1001.jpg", u"\\\\NewServer\\Media\\Staff\\Photos\\e1001.jpg"},
    {u"PY7EMPLOYEEMEDIA", 2, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\Staff\\Photos\\e1002.jpg", u"\\\\NewServer\\Media\\Staff\\Photos\\e1002.jpg"},
    {u"PY7EMPLOYEEMEDIA", 3, Layout::headed_ole1_embedded, DemoFate::embedded, u"Word.Document.8", {}, 4096},
    {u"PY7EVENTMEDIA", 1, Layout::headed_ole1_link, DemoFate::gone, u"\\\\OldServer\\Media\\Events\\2019\\picnic.jpg"},
    {u"PY7EVENTMEDIA", 2, Layout::container_link, DemoFate::other_server,
     u"\\\\Archive\\Scans\\Events\\1999\\opening.jpg"},
    {u"PY7POSITIONSMEDIA", 1, Layout::container_link, DemoFate::same_folders,
     u"\\\\OldServer\\Media\\HR\\Positions\\clerk.docx", u"\\\\NewServer\\Media\\HR\\Positions\\clerk.docx"},
    {u"PY7POSITIONSMEDIA", 2, Layout::container_ole10_native, DemoFate::embedded, u"Package", {}, 1500},
};

ole::ClassId server_class_of(std::string_view prog_id) {
    if (prog_id == "Excel.Sheet.8") return ole::kExcelSheet8Class;
    if (prog_id == "Word.Document.8") return ole::kWordDocument8Class;
    return ole::kPaintPictureClass;  // the OLE 1.0 servers: PBrush, Package
}

std::string desktop_name_of(std::string_view prog_id) {
    return prog_id == "PBrush" ? "Bitmap Image" : "Document";
}

std::vector<std::uint8_t> build_object(const Row& row, std::uint64_t seed) {
    const std::u16string path(row.link_path);
    const std::string prog_id = utf8(row.link_path);
    switch (row.layout) {
    case Layout::container_link:
        return ole::build_container_link(
            {.path = path, .link_update_option = row.media_id % 2 ? ole::kLinkUpdateAlways : ole::kLinkUpdateOnCall,
             .seed = seed});
    case Layout::container_item_link:
        return ole::build_container_link({.path = path, .item = "Sheet1!R1C1:R12C4", .source_class = ole::kExcelSheet8Class, .seed = seed});
    case Layout::headed_ole1_link:
        return ole::with_desktop_database_header(
            ole::build_ole1_link({.path = path, .picture = seed % 2 ? ole::Ole1Picture::dib : ole::Ole1Picture::metafile,
                                  .seed = seed}),
            "Document", "Word.Document.8");
    case Layout::container_contents:
    case Layout::container_ole10_native:
        return ole::build_container_embedded(
            {.server_class = server_class_of(prog_id),
             .prog_id = prog_id,
             .payload_size = row.payload,
             .native_stream = row.layout == Layout::container_contents ? ole::NativeStream::contents
                                                                        : ole::NativeStream::ole10_native,
             .seed = seed});
    case Layout::headed_ole1_embedded:
        return ole::with_desktop_database_header(
            ole::build_ole1_embedded({.class_name = prog_id, .native_size = row.payload, .seed = seed}),
            desktop_name_of(prog_id), prog_id == "PBrush" ? "Paint.Picture" : prog_id);
    }
    return {};
}

bool is_link(DemoFate fate) { return fate != DemoFate::embedded; }

// \\server\share\rest as the network folder keeps it: server/share/rest.
std::filesystem::path network_relative(std::u16string_view unc) {
    std::u16string relative(unc.substr(2));
    for (char16_t& ch : relative)
        if (ch == u'\\') ch = u'/';
    return std::filesystem::path(utf8(relative));
}

}  // namespace

std::vector<DemoRecord> demo_records() {
    std::vector<DemoRecord> records;
    std::uint64_t seed = 1;
    for (const Row& row : kRows) {
        DemoRecord& record = records.emplace_back();
        record.table = row.table;
        record.media_id = row.media_id;
        record.fate = row.fate;
        if (is_link(row.fate)) record.link_path = row.link_path;
        record.new_path = row.new_path;
        record.object = build_object(row, seed++);
    }
    return records;
}

std::vector<std::filesystem::path> demo_network_files() {
    std::vector<std::filesystem::path> files;
    for (const Row& row : kRows) {
        if (!row.new_path.empty()) files.push_back(network_relative(row.new_path));
        if (row.fate == DemoFate::other_server) files.push_back(network_relative(row.link_path));
    }
    return files;
}

std::string demo_drives_text() {
    return "# The workstation's mapped network drives: LOCAL REMOTE\n"
           "Z: \\\\NewServer\\Media\n"
           "Y: \\\\Archive\\Scans\n";
}
