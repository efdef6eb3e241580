// Test helper for the olefile check: re-links one stored link and saves it.
//   pm_ole_relink_tool IN OUT NEW_PATH_UTF8 [ITEM]
// With ITEM, the link is first made a link to that item of its file (file + item composite).
#include "com/utf.h"
#include "platform/ole/ole_info_stream.h"
#include "platform/ole/ole_object.h"
#include "test_support.h"

#include <iostream>

using namespace pathmender::ole;

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: " << argv[0] << " IN OUT NEW_PATH [ITEM]\n";
        return 2;
    }
    try {
        Bytes image = read_bytes(argv[1]);
        std::size_t consumed = 0;
        if (argc == 5) {
            const OleObject plain = read_ole_object(image, consumed);
            const auto& info = std::get<ContainerObject>(plain.layout).info;
            image = testing::container_with_ole_stream(image, testing::composite_link_ole_stream(info, testing::item_moniker(argv[4])));
        }
        OleObject object = read_ole_object(image, consumed);
        const std::int16_t options = update_options(object);
        create_link(object, utf16(argv[3]), testing::fixed_now());
        set_update_options(object, options);
        write_bytes(argv[2], write_ole_object(object));
        return 0;
    } catch (const OleError& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
}
