// What the file-system object says of names below a folder laid out as kFolders and kFiles: rows
// that the Linux tests (on a share of the network folder) and the Windows check program (on a folder
// of the system's own, through the system's object) both run. Paths are relative to that folder,
// '\' between names; rows spell them in another case than the disk does.
#pragma once

#include <string_view>

namespace file_system_cases {

// '/' between names; folders before what they hold.
inline constexpr const char* kFolders[] = {"Docs", "Docs/Empty"};
inline constexpr const char* kFiles[] = {"a.txt", "Docs/Report.DOC"};

struct ExistenceCase {
    std::u16string_view path;
    bool file;
    bool folder;
};

inline constexpr ExistenceCase kExistence[] = {
    {u"A.TXT", true, false},
    {u"docs\\report.doc", true, false},
    {u"none.txt", false, false},
    {u"none\\report.doc", false, false},
    {u"DOCS", false, true},
    {u"docs\\EMPTY", false, true},
};

// What the folder itself lists, as the disk spells it.
inline constexpr std::u16string_view kTopFiles[] = {u"a.txt"};
inline constexpr std::u16string_view kTopFolders[] = {u"Docs"};

}  // namespace file_system_cases
