#include "platform/ole/desktop_database_header.h"

#include "platform/ole/ole_error.h"

namespace pathmender::ole {

std::size_t desktop_database_header_length(ByteView head, std::size_t record_size) {
    if (head.size() < 2 || load_u16(head, 0) != kDesktopDatabaseHeaderSignature) return 0;
    if (head.size() < kDesktopDatabaseHeaderFixedSize) fail_loading("desktop database header cut short");
    const std::size_t length = load_u16(head, 2);
    if (length < kDesktopDatabaseHeaderFixedSize || length > record_size)
        fail_loading("desktop database header longer than its record");
    return length;
}

}  // namespace pathmender::ole
