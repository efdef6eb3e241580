// Writes the generated seed objects into a folder: links and embedded objects of both layouts,
// and OLE 1.0 streams behind the desktop database header, so the fuzzers start from every shape
// the reader knows, not only from the shapes the real corpus happens to hold.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "testkit/object_builder.h"

namespace ole = pathmender::ole;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    std::vector<std::pair<std::string, ole::Bytes>> seeds;
    seeds.emplace_back("container-link", ole::build_container_link({.path = u"\\\\OldServer\\Media\\a.doc", .seed = 1}));
    seeds.emplace_back("container-link-item",
                       ole::build_container_link({.path = u"\\\\OldServer\\Media\\Sheet.xls",
                                                  .link_update_option = ole::kLinkUpdateOnCall,
                                                  .item = "Sheet1!R1C1:R2C2",
                                                  .source_class = ole::kExcelSheet8Class,
                                                  .seed = 2}));
    seeds.emplace_back("container-link-compobj",
                       ole::build_container_link({.path = u"\\\\OldServer\\M\u00e9dia\\\u00e9t\u00e9.doc",
                                                  .with_comp_obj = true,
                                                  .seed = 3}));
    seeds.emplace_back("container-embedded-contents", ole::build_container_embedded({.payload_size = 300, .seed = 4}));
    seeds.emplace_back("container-embedded-native",
                       ole::build_container_embedded({.server_class = ole::kPaintPictureClass,
                                                      .prog_id = "Paint.Picture",
                                                      .payload_size = 5000,
                                                      .native_stream = ole::NativeStream::ole10_native,
                                                      .seed = 5}));

    const ole::Bytes ole1_link = ole::build_ole1_link({.path = u"\\\\OldServer\\Media\\b.doc", .seed = 6});
    const ole::Bytes ole1_embedded = ole::build_ole1_embedded({.native_size = 200, .picture = ole::Ole1Picture::dib, .seed = 7});
    seeds.emplace_back("ole1-link", ole1_link);
    seeds.emplace_back("ole1-link-dib-manual",
                       ole::build_ole1_link({.path = u"\\\\OldServer\\Media\\c.xls",
                                             .item = "R1C1",
                                             .link_update_option = 2,
                                             .picture = ole::Ole1Picture::dib,
                                             .seed = 8}));
    seeds.emplace_back("ole1-link-no-picture",
                       ole::build_ole1_link({.path = u"c:\\x.doc", .picture = ole::Ole1Picture::none, .seed = 9}));
    seeds.emplace_back("ole1-embedded", ole1_embedded);
    seeds.emplace_back("headed-ole1-link", ole::with_desktop_database_header(ole1_link, "Document", "Word.Document.8"));
    seeds.emplace_back("headed-ole1-embedded", ole::with_desktop_database_header(ole1_embedded, "Bitmap Image", "Paint.Picture"));

    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(folder / ("gen-" + name + ".bin"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::cerr << name << ": not written\n";
            return 1;
        }
    }
    std::cout << seeds.size() << " seed objects in " << folder.string() << '\n';
    return 0;
}
