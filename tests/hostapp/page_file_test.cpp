// The page file the host opens a document from (hostapp/shell/document_container.h): the class it
// names, and what it refuses.
#include "hostapp/shell/document_container.h"

#include <gtest/gtest.h>

#include <string>

#include "com/error.h"
#include "com/utf.h"
#include "contracts/plugin_interfaces.h"

namespace {

TEST(PageFile, ReadsWhatItNeedsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"CLSID={E416E1A6-C39A-48FF-AD5F-5865C3733066}\n", true},
        {"# comment\r\n\r\nCLSID={e416e1a6-c39a-48ff-ad5f-5865c3733066}\r\nColour=blue\r\n", true},
        {"", false},
        {"Document=udPathmender\n", false},
        {"CLSID=E416E1A6\n", false},
        {"CLSID {E416E1A6-C39A-48FF-AD5F-5865C3733066}\n", false},
    };
    for (const auto& c : cases) {
        if (c.valid) {
            EXPECT_EQ(parse_page_file(c.text, "case").clsid, CLSID_udPathmender) << c.text;
            continue;
        }
        try {
            parse_page_file(c.text, "case");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ComError& e) {
            EXPECT_EQ(e.number, error_number(RuntimeError::InvalidFileFormat)) << c.text;
            EXPECT_NE(utf8(e.description).find("case"), std::string::npos) << c.text;
        }
    }
}

TEST(PageFile, AMissingPageFileIsFileNotFound) {
    try {
        read_page_file("/nonexistent/udPathmender.vbd");
        ADD_FAILURE() << "no error";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, error_number(RuntimeError::FileNotFound));
    }
}

}  // namespace
