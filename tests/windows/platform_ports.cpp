// The platform's Windows ports checked against the contracts their headers give, on Windows or
// under Wine: binary files over Win32 handles, the error map, and case comparison through the
// system's ordinal case mapping. Works in a scratch folder it makes itself.
// One line per check; the exit status is non-zero when any check failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "com/error.h"
#include "platform/binary_files.h"
#include "platform/case_insensitive.h"

namespace {

int failures = 0;

void report(bool ok, const char* check) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", check);
    std::fflush(stdout);
    if (!ok) ++failures;
}

// The run-time error number a call raises, 0 for none.
template <class Call>
int error_of(Call call) {
    try {
        call();
    } catch (const ComError& e) {
        return e.number;
    }
    return 0;
}

void check_binary_files(const std::u16string& folder) {
    const std::u16string name = folder + u"\\temp.bin";
    const int number = FreeFile();
    OpenBinary(name, number, Create::Exclusive);
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    WriteBytes(number, bytes);
    report(LOF(number) == 5 && FilePosition(number) == 5, "write moves the position and grows the file");
    SeekFile(number, 8);
    WriteBytes(number, std::span(bytes, 1));
    SeekFile(number, 1);
    const std::vector<std::uint8_t> back = ReadBytes(number, 4);
    SeekFile(number, 5);
    const std::vector<std::uint8_t> gap = ReadBytes(number, 3);
    report(LOF(number) == 9 && back == std::vector<std::uint8_t>{2, 3, 4, 5} &&
               gap == std::vector<std::uint8_t>{0, 0, 0},
           "read back what was written, a gap reads as zeros");
    report(error_of([&] { ReadBytes(number, 2); }) == 62, "reading past the end: 62");
    report(error_of([&] { OpenBinary(name, FreeFile(), Create::Exclusive); }) == 58, "exclusive over a name: 58");
    report(error_of([&] { OpenBinary(name, number, Create::Never); }) == 55, "a number in use: 55");
    report(error_of([&] { Kill(name); }) == 55, "Kill of an open file: 55");
    Close(number);
    report(FileLen(name) == 9, "FileLen");
    const int again = FreeFile();
    OpenBinary(name, again, Create::Never);
    report(LOF(again) == 9, "an existing file opens as it is");
    Close(again);
    Kill(name);
    report(error_of([&] { FileLen(name); }) == 53, "FileLen after Kill: 53");
    report(error_of([&] { Kill(name); }) == 53, "Kill of no file: 53");
    report(error_of([&] { OpenBinary(name, FreeFile(), Create::Never); }) == 53, "opening no file: 53");
    report(error_of([&] { OpenBinary(folder + u"\\none\\x.bin", FreeFile(), Create::Exclusive); }) == 76,
           "creating in no folder: 76");
    report(error_of([&] { OpenBinary(folder, FreeFile(), Create::Never); }) == 75, "opening a folder: 75");
    report(error_of([&] { Kill(folder); }) == 53, "Kill of a folder: 53");
    report(error_of([&] { OpenBinary(u"", 1, Create::Never); }) == 52, "an empty name: 52");
    report(error_of([&] { OpenBinary(name, 512, Create::Never); }) == 52, "number 512: 52");
}

void check_case_comparison() {
    report(equal_ignoring_case(u"a.jpg", u"A.JPG") && equal_ignoring_case(u"\u00C4RGER.DOC", u"\u00E4rger.doc") &&
               equal_ignoring_case(u"", u""),
           "equal without regard to case");
    report(!equal_ignoring_case(u"a.jpg", u"a.jpeg") && !equal_ignoring_case(u"a", u"a\u0301") &&
               !equal_ignoring_case(u"", u" "),
           "different texts differ");
    report(case_fold_key(u"\u00E4rger") == case_fold_key(u"\u00C4RGER"), "fold keys collide");
    auto match = find_ignoring_case(u"x\\\\Old\\y\\\\OLD", u"\\\\old", 2);
    report(match && match->position == 8 && match->length == 5, "find from a position");
    report(!find_ignoring_case(u"abc", u"", 0) && !find_ignoring_case(u"abc", u"c", 3), "nothing to find");
    report(find_whole_name(u"\\\\OLD\\Media\\a.doc", u"\\\\Old") &&
               !find_whole_name(u"\\\\OldServer\\Media\\a.doc", u"\\\\Old"),
           "whole names only");
    std::vector<std::u16string> names{u"b", u"\u00E4", u"a", u"B", u"Z", u"A", u"a1"};
    std::sort(names.begin(), names.end(), listing_order_less);
    report(names == std::vector<std::u16string>{u"A", u"a", u"a1", u"B", u"b", u"Z", u"\u00E4"}, "listing order");
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"pathmender-ports";
    CreateDirectoryW(folder.c_str(), nullptr);
    try {
        check_binary_files(std::u16string(folder.begin(), folder.end()));
    } catch (const ComError& e) {
        std::printf("FAIL binary files: error %d\n", e.number);
        ++failures;
    }
    check_case_comparison();
    RemoveDirectoryW(folder.c_str());
    std::printf("%d check(s) failed\n", failures);
    return failures == 0 ? 0 : 1;
}
