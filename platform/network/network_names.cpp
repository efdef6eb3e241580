// Which names the home platform's file systems can hold: the one rule for both builds.
#include "platform/network.h"

bool is_valid_network_name(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
        // Unpaired surrogates cannot be stored as a name on disk.
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}
