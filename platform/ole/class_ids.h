// The class ids of the stored links and monikers, as stored.
#pragma once

#include "platform/ole/compound_file.h"

namespace pathmender::ole {

// Class ids as stored (GUID fields little-endian).
inline constexpr ClassId kStdOleLinkClass = {0x00, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kFileMonikerClass = {0x03, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kItemMonikerClass = {0x04, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kCompositeMonikerClass = {0x09, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kUrlMonikerClass = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                             0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};

}  // namespace pathmender::ole
