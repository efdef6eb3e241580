// The page on a host of the test's own, with a recorder for its windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/udPathmender.h"
#include "platform/forms/recording_window_system.h"
#include "support/files.h"
#include "support/host_fixture.h"

class PageFixture : public HostFixture {
protected:
    // The texts of the message boxes shown so far.
    std::vector<std::u16string> messages() const {
        std::vector<std::u16string> out;
        for (const auto& m : windows.recorder.messages) out.push_back(m.prompt);
        return out;
    }

    // The page's control of that name, as the user finds it on the page.
    template <class Control>
    static Control& control(udPathmender& page, std::string_view name) {
        return *page.page().get<Control>(name);
    }
    // Types the previous server name into an emptied box and presses Update, as the user does.
    static void press_update(udPathmender& page, std::u16string_view typed);
    // The link a record's stored object names now.
    std::u16string link_of(std::u16string_view table, std::int64_t media_id) {
        return source_doc_of(*database().read(table, media_id));
    }

    forms::ScopedRecorder windows;
};
