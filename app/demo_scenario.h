// The story the demo tells: media files moved from \\OldServer to \\NewServer. Most kept their
// folders, some were filed elsewhere on the new share, some were lost on the way; links to
// \\Archive and embedded objects have nothing to do with the move. The records hold stored objects
// of both layouts (mostly the container's own, some OLE 1.0 streams behind a desktop database
// header), all made by the OLE library's object builder, so the same demo is made every time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char16_t kDemoPreviousServer[] = u"\\\\OldServer";
inline constexpr char16_t kDemoDrive[] = u"Z:";

// What the update should do to a record.
enum class DemoFate {
    same_folders,     // the file is at the same place on \\NewServer: re-linked there
    found_by_search,  // the file is in another folder of \\NewServer\Media: re-linked where the search finds it
    gone,             // the file is nowhere: counted as not found, left alone
    other_server,     // a link to \\Archive: not selected, left alone
    embedded,         // not a link: left alone
};

struct DemoRecord {
    std::u16string_view table;
    std::int64_t media_id = 0;
    DemoFate fate = DemoFate::embedded;
    std::u16string link_path;  // links: the path stored in the record
    std::u16string new_path;   // re-linked records: the path the update should give them
    std::vector<std::uint8_t> object;  // the Object column
};

// The demo's records, in table order.
std::vector<DemoRecord> demo_records();

// The files of the network folder, relative to it, in the disk's spelling (server/share/...).
std::vector<std::filesystem::path> demo_network_files();

// The workstation's connections file.
std::string demo_drives_text();
