// Test helper for the olefile check: re-links one stored link and saves it.
//   pm_ole_relink_tool IN OUT NEW_PATH_UTF8 [ITEM]
// With ITEM, the link is first made a link to that item of its file (file + item composite).
#include "ole_info_stream.h"
#include "ole_object.h"
#include "test_support.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace {

using namespace pathmender::ole;

std::u16string utf16_from_utf8(const std::string& text) {
    std::u16string result;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += 1 + extra;
        if (code >= 0x10000) {
            result.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
    }
    return result;
}

Bytes read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: " << argv[0] << " IN OUT NEW_PATH [ITEM]\n";
        return 2;
    }
    try {
        Bytes image = read_file(argv[1]);
        std::size_t consumed = 0;
        if (argc == 5) {
            const OleObject plain = read_ole_object(image, consumed);
            const auto& info = std::get<ContainerObject>(plain.layout).info;
            image = testing::container_with_ole_stream(image, testing::composite_link_ole_stream(info, testing::item_moniker(argv[4])));
        }
        OleObject object = read_ole_object(image, consumed);
        const std::int16_t options = update_options(object);
        create_link(object, utf16_from_utf8(argv[3]), testing::fixed_now());
        set_update_options(object, options);
        const Bytes saved = write_ole_object(object);
        std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(saved.data()),
                                                      static_cast<std::streamsize>(saved.size()));
        return 0;
    } catch (const OleError& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
}
