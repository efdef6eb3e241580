#include "app/update_outcome.h"

#include <string_view>

namespace {

constexpr std::u16string_view kDone[] = {u"Media links have been updated", u"No media links were updated.",
                                         u"No media records exist in the system"};
constexpr std::u16string_view kSomeNotFound[] = {
    u"Media links have been updated.  Some linked media files could not be located.",
    u"Unable to locate linked media files."};
constexpr std::u16string_view kRefused[] = {u"Required field missing: Previous server name",
                                            u"Please specify a valid server name (e.g. \\\\MyPreviousServer)"};

template <std::size_t N>
bool one_of(std::u16string_view text, const std::u16string_view (&texts)[N]) {
    for (std::u16string_view t : texts)
        if (t == text) return true;
    return false;
}

}  // namespace

UpdateEnd update_end(const std::vector<PageMessage>& messages) {
    if (messages.empty()) return UpdateEnd::error;
    const std::u16string_view last = messages.back().text;
    if (one_of(last, kDone)) return UpdateEnd::done;
    if (one_of(last, kSomeNotFound)) return UpdateEnd::some_not_found;
    if (one_of(last, kRefused)) return UpdateEnd::refused;
    return UpdateEnd::error;  // "An error occured while trying to update linked media files: ...", or a failed click
}

int exit_status(UpdateEnd end) {
    switch (end) {
    case UpdateEnd::done: return 0;
    case UpdateEnd::some_not_found: return 3;
    case UpdateEnd::refused: return 2;
    case UpdateEnd::error: break;
    }
    return 4;
}

bool run_completed(const std::vector<PageMessage>& messages) {
    if (messages.empty()) return false;
    const std::u16string_view last = messages.back().text;
    return (one_of(last, kDone) && last != kDone[2]) || one_of(last, kSomeNotFound);
}
