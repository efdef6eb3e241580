// The handler on a host of the test's own, given a session of it; its transfer files go to the
// host's temporary folder.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "media/CMediaObjectHandler.h"
#include "media/support/test_host_services.h"
#include "support/host_fixture.h"

class HandlerFixture : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        session = host_session();
        handler.Init(session);
    }
    void TearDown() override {
        services.reset();
        handler.Closedown();
        session.reset();
        HostFixture::TearDown();
    }
    // Puts services whose temporary names a test knows beforehand (to put something in the way) in
    // place of the host's.
    void use_known_names() { services.emplace(temp); }
    std::vector<std::filesystem::path> temp_files() const {
        return {std::filesystem::directory_iterator(temp), std::filesystem::directory_iterator()};
    }

    ComPtr<ISessionContext> session;
    CMediaObjectHandler handler;
    std::optional<TestHostServices> services;
};
