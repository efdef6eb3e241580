// The page on a host of the test's own, with a recorder for its windows.
#pragma once

#include <string>
#include <vector>

#include "document/udPathmender.h"
#include "platform/forms/recording_window_system.h"
#include "support/host_fixture.h"

class PageFixture : public HostFixture {
protected:
    // The texts of the message boxes shown so far.
    std::vector<std::u16string> messages() const {
        std::vector<std::u16string> out;
        for (const auto& m : windows.recorder.messages) out.push_back(m.prompt);
        return out;
    }

    forms::ScopedRecorder windows;
};
