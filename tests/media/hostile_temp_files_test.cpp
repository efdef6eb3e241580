// The handler's temporary files under attack: each is a new private file (mode 0600 whatever the
// umask, one link, ours) while it exists, created only where nothing stood, and never through a
// name something else holds: a file, a hard link, a folder, a pipe.
#include "media/CMediaObjectHandler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "media/support/test_host_services.h"
#include "platform/ansi_codepage.h"
#include "platform/binary_files.h"
#include "testkit/object_builder.h"

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

    HRESULT ReadFromFile(SHORT number) override {
        look(number);
        return inner_->ReadFromFile(number);
    }
    HRESULT SaveToFile(SHORT number) override {
        look(number);
        return inner_->SaveToFile(number);
    }
    HRESULT get_OLEType(SHORT* type) override { return inner_->get_OLEType(type); }
    HRESULT get_SourceDoc(BSTR* path) override { return inner_->get_SourceDoc(path); }
    HRESULT CreateLink(BSTR doc, VARIANT item) override { return inner_->CreateLink(doc, item); }
    HRESULT get_UpdateOptions(SHORT* options) override { return inner_->get_UpdateOptions(options); }
    HRESULT put_UpdateOptions(SHORT options) override { return inner_->put_UpdateOptions(options); }

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

std::optional<ComError> error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const ComError& e) {
        return e;
    }
    return std::nullopt;
}

class HostileTempFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pm-hostile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        temp_dir_ = pattern;
        saved_environment_ = host_environment();
        HostEnvironment environment = saved_environment_;
        environment.database.clear();
        environment.temp_folder = temp_dir_;
        configure_host(environment);
        register_host_classes();
        session_ = open_host_session(temp_dir_ / "unused.db");
        handler_.Init(session_);
        container_ = make_com<WatchingContainer>();
        using namespace pathmender::ole;
        image_ = ansi_decode(build_container_link({.path = u"\\\\OldServer\\Media\\a.doc", .seed = 7}));
    }
    void TearDown() override {
        handler_.Closedown();
        revoke_host_classes();
        configure_host(saved_environment_);
        fs::remove_all(temp_dir_);
    }
    std::size_t files_left() const {
        return std::size_t(std::distance(fs::directory_iterator(temp_dir_), fs::directory_iterator()));
    }

    fs::path temp_dir_;
    HostEnvironment saved_environment_;
    ComPtr<ISessionContext> session_;
    CMediaObjectHandler handler_;
    ComPtr<WatchingContainer> container_;
    std::u16string image_;
};

TEST_F(HostileTempFiles, EachTransferFileIsNewPrivateAndAloneWhateverTheUmask) {
    for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077)}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        const mode_t saved_mask = ::umask(mask);
        container_->seen.clear();
        handler_.LoadObject(container_.get(), image_);
        const std::u16string flat = handler_.FlattenObject(container_.get());
        ::umask(saved_mask);

        EXPECT_EQ(flat, image_);
        ASSERT_EQ(container_->seen.size(), 2u);  // read on load, save on flatten
        for (const SeenFile& file : container_->seen) {
            SCOPED_TRACE(file.path.string());
            EXPECT_EQ(file.path.parent_path(), temp_dir_);
            EXPECT_TRUE(S_ISREG(file.mode));
            EXPECT_EQ(file.mode & 07777, 0600u);
            EXPECT_EQ(file.links, 1u);
            EXPECT_EQ(file.owner, ::geteuid());
            EXPECT_EQ(file.files_in_folder, 1u);
        }
        EXPECT_NE(container_->seen[0].path, container_->seen[1].path);
        EXPECT_EQ(files_left(), 0u);
    }
}

// With services whose next temporary name a test knows, to put something there first.
class HostilePlantedNames : public HostileTempFiles {
protected:
    void SetUp() override {
        HostileTempFiles::SetUp();
        services_.emplace(temp_dir_);
    }
    void TearDown() override {
        services_.reset();
        HostileTempFiles::TearDown();
    }
    std::optional<TestHostServices> services_;
};

TEST_F(HostilePlantedNames, NothingThatHoldsTheNameIsOpenedWrittenOrRemoved) {
    const fs::path theirs = temp_dir_ / "theirs";
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> plant;
    };
    const Case cases[] = {
        {"a hard link to another's file", [&](const fs::path& name) { fs::create_hard_link(theirs, name); }},
        {"a folder", [&](const fs::path& name) { fs::create_directory(name); }},
        {"a named pipe", [&](const fs::path& name) { ASSERT_EQ(::mkfifo(name.c_str(), 0666), 0); }},
        {"a link to a folder", [&](const fs::path& name) { fs::create_directory_symlink(temp_dir_, name); }},
        {"a link to /dev/zero", [&](const fs::path& name) { fs::create_symlink("/dev/zero", name); }},
    };
    for (bool flatten : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (flatten ? ", flatten" : ", load"));
            std::ofstream(theirs) << "keep";
            const fs::path planted = services_->next_temp_path();
            c.plant(planted);
            const fs::file_status before = fs::symlink_status(planted);
            auto error = error_of([&] {
                if (flatten) handler_.FlattenObject(container_.get());
                else handler_.LoadObject(container_.get(), image_);
            });
            ASSERT_TRUE(error);
            EXPECT_EQ(error->number, 58);
            EXPECT_EQ(fs::symlink_status(planted).type(), before.type());
            std::ifstream in(theirs);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
            EXPECT_TRUE(container_->seen.empty());
            fs::remove(planted);
            fs::remove(theirs);
            EXPECT_EQ(files_left(), 0u);
        }
        // Flatten needs an object to save.
        handler_.LoadObject(container_.get(), image_);
        container_->seen.clear();
    }
}

}  // namespace
