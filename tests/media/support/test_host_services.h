// Test host services for the media object handler: OLE and file services registered under the
// host's class identifiers in place of the host's own, with temporary names a test can predict
// (to put something in the way) and a count of the service objects alive.
#pragma once

#include <filesystem>
#include <string>

#include "com/comptr.h"
#include "contracts/host_services.h"

// What the test services were asked, across all their instances.
struct HostServiceLog {
    int created = 0;  // service objects created
    int alive = 0;    // service objects not yet released
    std::u16string last_extension;
    LONG last_number = 0;
};

// Registers the two service classes until destroyed; temporary files go to location.
class TestHostServices {
public:
    explicit TestHostServices(const std::filesystem::path& location);
    ~TestHostServices();
    TestHostServices(const TestHostServices&) = delete;
    TestHostServices& operator=(const TestHostServices&) = delete;

    // The path the next MakeTempFileName returns, so that a test can put something there first.
    std::filesystem::path next_temp_path() const;
    const HostServiceLog& log() const;
};
