// The Linux side of the Windows host program's check (tools/windows-check), built with the Linux
// build: makes the small host database that pathmender.exe re-links under Wine, and lists the
// links of a database afterwards, as this system's own reader sees them.
//   pm_host_database_tool make DB      a new database: the records below
//   pm_host_database_tool links DB     one line a record: TABLE MEDIAID KIND SOURCE
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "com/utf.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"
#include "testkit/media_database.h"
#include "testkit/object_builder.h"

namespace {

namespace ole = pathmender::ole;

constexpr char16_t kTable[] = u"AP7VENDORMEDIA";

// Links in both stored layouts to one file of the previous server's share, spelled otherwise than on
// disk; a link to a server that is not the previous one; an embedded object.
void make(const std::string& file) {
    MediaDatabase database = MediaDatabase::create(file);
    const std::u16string moved = u"\\\\OldServer\\Media\\SUB FOLDER\\report a.txt";
    database.insert(kTable, 1, ole::build_container_link({.path = moved, .seed = 1}));
    database.insert(kTable, 2, ole::build_ole1_link({.path = moved, .seed = 2}));
    database.insert(kTable, 3, ole::build_container_link({.path = u"\\\\Other\\Docs\\kept.txt", .seed = 3}));
    database.insert(kTable, 4, ole::build_container_embedded({.payload_size = 64, .seed = 4}));
}

void links(const std::string& file) {
    MediaDatabase database = MediaDatabase::open(file);
    for (std::int64_t id = 1; id <= database.count(kTable); ++id) {
        const auto bytes = database.read(kTable, id);
        std::string kind = "none", source;
        if (bytes) {
            const ole::ByteView all(*bytes);
            std::size_t consumed = 0;
            const ole::OleObject object =
                ole::read_ole_object(all.subspan(ole::desktop_database_header_length(all)), consumed);
            kind = ole::ole_type(object) == ole::kOleTypeLinked ? "linked" : "embedded";
            source = utf8(ole::source_doc(object));
        }
        std::printf("%s %lld %s %s\n", utf8(kTable).c_str(), static_cast<long long>(id), kind.c_str(), source.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc == 3 ? argv[1] : "";
    if (command != "make" && command != "links") {
        std::fprintf(stderr, "usage: pm_host_database_tool make|links DB\n");
        return 2;
    }
    try {
        if (command == "make") make(argv[2]);
        else links(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pm_host_database_tool: %s\n", e.what());
        return 1;
    }
    return 0;
}
