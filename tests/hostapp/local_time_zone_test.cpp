// Naming the local zone for the process leaves every local time as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/local_time_zone.h"
#include "support/scoped.h"

namespace {

// TZ as it was before the test, put back after it.
class LocalTimeZoneTest : public ::testing::Test {
protected:
    void TearDown() override {
        tz_.reset();
        ::tzset();
    }

    std::optional<ScopedVariable> tz_{std::in_place, "TZ"};

    // Local times of instants across years and seasons, with offset and zone name.
    static std::vector<std::string> local_times() {
        std::vector<std::string> out;
        ::tzset();
        for (std::time_t t : {std::time_t{0}, std::time_t{951782400}, std::time_t{1719835200}, std::time_t{1733616000}}) {
            std::tm tm{};
            ::localtime_r(&t, &tm);
            char text[96];
            std::strftime(text, sizeof text, "%F %T %z %Z", &tm);
            out.emplace_back(text);
        }
        return out;
    }
};

TEST_F(LocalTimeZoneTest, UnsetZoneIsNamedAfterTheFileTheLibraryReadsAndTimesStayTheSame) {
    struct stat info;
    if (::stat("/etc/localtime", &info) != 0) GTEST_SKIP() << "no /etc/localtime here";
    ::unsetenv("TZ");
    const std::vector<std::string> before = local_times();
    pin_local_time_zone();
    ASSERT_NE(std::getenv("TZ"), nullptr);
    EXPECT_STREQ(std::getenv("TZ"), "/etc/localtime");
    EXPECT_EQ(local_times(), before);
}

TEST_F(LocalTimeZoneTest, ZoneTheUserChoseIsLeftAlone) {
    ::setenv("TZ", "America/St_Johns", 1);
    pin_local_time_zone();
    EXPECT_STREQ(std::getenv("TZ"), "America/St_Johns");
    ::setenv("TZ", "", 1);
    pin_local_time_zone();
    EXPECT_STREQ(std::getenv("TZ"), "");
}

}  // namespace
