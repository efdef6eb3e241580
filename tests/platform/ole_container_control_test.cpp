// The stored-object library's failures reach the control's callers as its run-time errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "com/bstr.h"
#include "com/error.h"
#include "com/utf.h"
#include "com/variant.h"
#include "platform/binary_files.h"
#include "platform/ole_control.h"
#include "testkit/object_builder.h"

namespace {

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

// A new control that has read image from the start of a file of its own.
struct LoadedControl {
    explicit LoadedControl(const ole::Bytes& image) {
        std::string pattern = (fs::temp_directory_path() / "pm-control-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        dir = pattern;
        std::ofstream(dir / "object.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
        number = FreeFile();
        OpenBinary(utf16((dir / "object.bin").string()), number, Create::Never);
        check(CreateOleContainerControl(control.put()));
        read = control->ReadFromFile(SHORT(number));
    }
    ~LoadedControl() {
        Close(number);
        fs::remove_all(dir);
    }

    fs::path dir;
    int number = 0;
    ComPtr<IOleContainerControl> control;
    HRESULT read = E_FAIL;
};

TEST(OleContainerControl, GivesEachFailureOfTheObjectItsRunTimeError) {
    const Variant no_item = Variant::missing();
    struct Case {
        const char* name;
        ole::Bytes image;
        std::function<HRESULT(IOleContainerControl&)> act;  // once the image is read; none: the read fails
        RuntimeError error;
        std::u16string description;  // how it starts
    };
    const Case cases[] = {
        {"bytes that are no object", ole::Bytes(40, 0x5A), nullptr, RuntimeError::OleLoadFromFile,
         u"Unable to load from file: error loading from file: "},
        {"re-linking an embedded object", ole::build_container_embedded({.payload_size = 16}),
         [&](IOleContainerControl& c) {
             return c.CreateLink(Bstr(u"\\\\srv\\share\\b.doc").get(), *no_item.get());
         },
         RuntimeError::OleCannotActivate, u"an embedded object cannot be re-linked"},
        {"an update option out of range", ole::build_container_link({.path = u"\\\\srv\\share\\a.doc"}),
         [](IOleContainerControl& c) { return c.put_UpdateOptions(3); }, RuntimeError::InvalidPropertyValue,
         u"invalid property value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedControl loaded(c.image);
        HRESULT hr = loaded.read;
        if (c.act) {
            ASSERT_EQ(hr, S_OK);
            hr = c.act(*loaded.control);
        }
        EXPECT_EQ(hr, hresult_from_error_number(error_number(c.error)));
        ErrorRecord record;
        ASSERT_TRUE(GetErrorRecord(hr, &record));
        EXPECT_EQ(record.description.substr(0, c.description.size()), c.description);
    }
}

}  // namespace
