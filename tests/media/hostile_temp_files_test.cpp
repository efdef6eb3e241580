// The handler's temporary files under attack: each is a new private file (mode 0600 whatever the
// umask, one link, ours) while it exists, created only where nothing stood, and never through a
// name something else holds: a file, a hard link, a folder, a pipe.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "com/object.h"
#include "com/utf.h"
#include "media/support/handler_fixture.h"
#include "platform/ole/ansi_codepage.h"
#include "platform/binary_files.h"
#include "testkit/object_builder.h"
#include "support/com_checks.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

// What a temporary file looked like while the control had it open.
struct SeenFile {
    fs::path path;
    mode_t mode = 0;
    nlink_t links = 0;
    uid_t owner = 0;
    std::size_t files_in_folder = 0;
};

// The platform's own control, with a look at its file before each transfer.
class WatchingContainer final : public ComObject<WatchingContainer, IOleContainerControl> {
public:
    WatchingContainer() { check(CreateOleContainerControl(inner_.put())); }
    std::vector<SeenFile> seen;

    HRESULT STDMETHODCALLTYPE ReadFromFile(SHORT number) override {
        look(number);
        return inner_->ReadFromFile(number);
    }
    HRESULT STDMETHODCALLTYPE SaveToFile(SHORT number) override {
        look(number);
        return inner_->SaveToFile(number);
    }
    HRESULT STDMETHODCALLTYPE get_OLEType(SHORT* type) override { return inner_->get_OLEType(type); }
    HRESULT STDMETHODCALLTYPE get_SourceDoc(BSTR* path) override { return inner_->get_SourceDoc(path); }
    HRESULT STDMETHODCALLTYPE CreateLink(BSTR doc, VARIANT item) override { return inner_->CreateLink(doc, item); }
    HRESULT STDMETHODCALLTYPE get_UpdateOptions(SHORT* options) override { return inner_->get_UpdateOptions(options); }
    HRESULT STDMETHODCALLTYPE put_UpdateOptions(SHORT options) override { return inner_->put_UpdateOptions(options); }

private:
    void look(SHORT number) {
        SeenFile file;
        file.path = utf8(open_file(number).path());
        struct stat status {};
        if (::lstat(file.path.c_str(), &status) == 0) {
            file.mode = status.st_mode;
            file.links = status.st_nlink;
            file.owner = status.st_uid;
        }
        for (auto it = fs::directory_iterator(file.path.parent_path()); it != fs::directory_iterator(); ++it)
            ++file.files_in_folder;
        seen.push_back(file);
    }
    ComPtr<IOleContainerControl> inner_;
};

class HostileTempFiles : public HandlerFixture {
protected:
    void SetUp() override {
        HandlerFixture::SetUp();
        using namespace pathmender::ole;
        image = ansi_decode(build_container_link({.path = u"\\\\OldServer\\Media\\a.doc", .seed = 7}));
    }

    ComPtr<WatchingContainer> container = make_com<WatchingContainer>();
    std::u16string image;
};

TEST_F(HostileTempFiles, EachTransferFileIsNewPrivateAndAloneWhateverTheUmask) {
    for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077)}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        const mode_t saved_mask = ::umask(mask);
        container->seen.clear();
        handler.LoadObject(container.get(), image);
        const std::u16string flat = handler.FlattenObject(container.get());
        ::umask(saved_mask);

        EXPECT_EQ(flat, image);
        ASSERT_EQ(container->seen.size(), 2u);  // read on load, save on flatten
        for (const SeenFile& file : container->seen) {
            SCOPED_TRACE(file.path.string());
            EXPECT_EQ(file.path.parent_path(), temp);
            EXPECT_EQ(file.path.extension(), ".OLE");
            EXPECT_TRUE(S_ISREG(file.mode));
            EXPECT_EQ(file.mode & 07777, 0600u);
            EXPECT_EQ(file.links, 1u);
            EXPECT_EQ(file.owner, ::geteuid());
            EXPECT_EQ(file.files_in_folder, 1u);
        }
        EXPECT_NE(container->seen[0].path, container->seen[1].path);
        EXPECT_TRUE(temp_files().empty());
    }
}

TEST_F(HostileTempFiles, NothingThatHoldsTheNameIsOpenedWrittenOrRemoved) {
    use_known_names();
    const fs::path theirs = temp / "theirs", nowhere = temp / "nowhere";
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> plant;
    };
    const Case cases[] = {
        {"another's file", [&](const fs::path& name) { fs::copy_file(theirs, name); }},
        {"a hard link to another's file", [&](const fs::path& name) { fs::create_hard_link(theirs, name); }},
        {"a link to another's file", [&](const fs::path& name) { fs::create_symlink(theirs, name); }},
        {"a link to nothing", [&](const fs::path& name) { fs::create_symlink(nowhere, name); }},
        {"a folder", [&](const fs::path& name) { fs::create_directory(name); }},
        {"a named pipe", [&](const fs::path& name) { ASSERT_EQ(::mkfifo(name.c_str(), 0666), 0); }},
        {"a link to a folder", [&](const fs::path& name) { fs::create_directory_symlink(temp, name); }},
        {"a link to /dev/zero", [&](const fs::path& name) { fs::create_symlink("/dev/zero", name); }},
    };
    for (bool flatten : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (flatten ? ", flatten" : ", load"));
            std::ofstream(theirs) << "keep";
            const fs::path planted = services->next_temp_path();
            c.plant(planted);
            const fs::file_status before = fs::symlink_status(planted);
            auto error = error_of([&] {
                if (flatten) handler.FlattenObject(container.get());
                else handler.LoadObject(container.get(), image);
            });
            ASSERT_TRUE(error);
            EXPECT_EQ(error->number, 58);
            EXPECT_EQ(fs::symlink_status(planted).type(), before.type());
            if (fs::is_regular_file(fs::symlink_status(planted))) {
                EXPECT_EQ(read_text(planted), "keep");
            }
            EXPECT_EQ(read_text(theirs), "keep");
            EXPECT_FALSE(fs::exists(nowhere));
            EXPECT_TRUE(container->seen.empty());
            fs::remove(planted);
            fs::remove(theirs);
            EXPECT_TRUE(temp_files().empty());
        }
        // Flatten needs an object to save.
        handler.LoadObject(container.get(), image);
        container->seen.clear();
    }
}

}  // namespace
