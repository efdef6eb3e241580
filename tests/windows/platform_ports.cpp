// The platform's Windows ports checked against the contracts their headers give, on Windows or
// under Wine: binary files over Win32 handles, the error map, and case comparison through the
// system's ordinal case mapping. The cases shared with the Linux tests come from their tables.
// Works in a scratch folder it makes itself; one line per check, the exit status is non-zero when
// any check failed.
#include "windows_checks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "com/error.h"
#include "com/utf.h"
#include "platform/binary_files.h"
#include "platform/case_insensitive.h"
#include "platform/support/binary_files_cases.h"
#include "platform/support/case_insensitive_cases.h"
#include "support/com_checks.h"

namespace {

using checks::report;

std::u16string u16(const std::wstring& text) { return {text.begin(), text.end()}; }

// The call raises expected.
void check_raises(const std::string& check, RuntimeError expected, const std::function<void()>& call) {
    const int number = error_number(call);
    report(number == error_number(expected), check, "error " + std::to_string(number));
}

void check_binary_files(const checks::ScratchFolder& folder) {
    folder.file(L"existing");
    folder.folder(L"folder");
    for (const auto& c : binary_cases::kRefusedOpens)
        check_raises(std::string("opening ") + c.name + " " + binary_cases::mode_name(c.create), c.error,
                     [&] { OpenBinary(u16(folder / checks::widen(c.name)), FreeFile(), c.create); });
    for (const auto& c : binary_cases::kRefusedKills)
        check_raises(std::string("Kill of ") + c.name, c.error, [&] { Kill(u16(folder / checks::widen(c.name))); });
    for (int number : binary_cases::kBadFileNumbers)
        check_raises("number " + std::to_string(number), RuntimeError::BadFileNameOrNumber,
                     [&] { OpenBinary(u16(folder / L"x"), number, Create::Exclusive); });
    check_raises("an empty name", RuntimeError::BadFileNameOrNumber, [] { OpenBinary(u"", 1, Create::Never); });

    const std::u16string name = u16(folder / L"temp.bin");
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
    check_raises("reading past the end", RuntimeError::InputPastEndOfFile, [&] { ReadBytes(number, 2); });
    check_raises("a number in use", RuntimeError::FileAlreadyOpen, [&] { OpenBinary(name, number, Create::Never); });
    check_raises("Kill of an open file", RuntimeError::FileAlreadyOpen, [&] { Kill(name); });
    Close(number);
    report(FileLen(name) == 9, "FileLen");
    const int again = FreeFile();
    OpenBinary(name, again, Create::Never);
    report(LOF(again) == 9, "an existing file opens as it is");
    Close(again);
    Kill(name);
    check_raises("FileLen after Kill", RuntimeError::FileNotFound, [&] { FileLen(name); });
}

void check_case_comparison() {
    using namespace case_cases;
    auto skip = [](const std::string& check) { std::printf("skip %s: Wine and Windows map it apart\n", check.c_str()); };
    for (const auto& c : kEquality) {
        if (!c.checked()) {
            skip(utf8(c.a) + " / " + utf8(c.b));
            continue;
        }
        const bool expected = c.expected();
        report(equal_ignoring_case(c.a, c.b) == expected && (case_fold_key(c.a) == case_fold_key(c.b)) == expected,
               (expected ? "equal: " : "differ: ") + utf8(c.a) + " / " + utf8(c.b));
    }
    auto same = [](std::optional<TextMatch> found, std::optional<TextMatch> expected) {
        return found.has_value() == expected.has_value() &&
               (!found || (found->position == expected->position && found->length == expected->length));
    };
    for (const auto& c : kFind) {
        const std::string check = "find " + utf8(c.needle) + " in " + utf8(c.text);
        if (c.checked()) report(same(find_ignoring_case(c.text, c.needle, c.from), c.expected()), check);
        else skip(check);
    }
    for (const auto& c : kWholeName)
        report(same(find_whole_name(c.text, c.needle, c.from), c.expected()),
               "whole name " + utf8(c.needle) + " in " + utf8(c.text));
    std::vector<std::u16string> names(std::begin(kListingInput), std::end(kListingInput));
    std::sort(names.begin(), names.end(), listing_order_less);
    report(names == std::vector<std::u16string>(std::begin(kListingOrder), std::end(kListingOrder)), "listing order");
}

}  // namespace

int main() {
    {
        const checks::ScratchFolder folder(L"pathmender-ports");
        try {
            check_binary_files(folder);
        } catch (const ComError& e) {
            report(false, "binary files", "error " + std::to_string(e.number));
        }
        for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number) Close(number);
    }
    check_case_comparison();
    return checks::summary();
}
