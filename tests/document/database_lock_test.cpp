// Another connection locks the database for writing before a run or in the middle of it: the
// count and the reads still go on, the next write-back fails, the run ends with the database's
// text, and records already written stay written while the rest stay as they were.
#include <functional>

#include "com/class_factory.h"
#include "com/error.h"
#include "document/support/page_fixture.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_ole_services.h"

namespace {

namespace fs = std::filesystem;

// The host's OLE services, as registered, with a call before each one is made: the handler makes
// one for every transfer, so the n-th call comes just before the n-th temporary file.
class TransferWatch final : public ComObject<TransferWatch, IClassFactory> {
public:
    explicit TransferWatch(HostEnvironmentRef environment) : environment_(std::move(environment)) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (before_transfer) before_transfer(++transfers);
        return make_com<HostOleServices>(environment_)->QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(int) override { return S_OK; }

    std::function<void(int)> before_transfer;
    int transfers = 0;

private:
    HostEnvironmentRef environment_;
};

class DatabaseLock : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Media"});
        make_network_file("NewServer/Media/a.xls");
        configure_host([](HostEnvironment& env) { env.busy_timeout_ms = 50; });  // a held lock is not waited out
        watch = make_com<TransferWatch>(host->environment());
        check(CoRegisterClassObject(CLSID_HostOleServices, watch.get()));
    }
    ComPtr<TransferWatch> watch;
};

TEST_F(DatabaseLock, AWriteLockTakenByAnotherConnectionEndsTheRunAtTheNextWriteBack) {
    const char16_t* tables[] = {u"AP7VENDORMEDIA", u"EA7RECORDMEDIA", u"PY7POSITIONSMEDIA"};
    const auto old_link = link_to(u"\\\\OldServer\\Media\\a.xls");
    struct Case {
        const char* name;
        int lock_at_transfer;  // 0: before Update is pressed
        int records_written;
    } cases[] = {
        {"locked before the run", 0, 0},
        {"locked after the first write-back", 3, 1},  // load, save, then the second load
        {"locked after the second write-back", 5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        windows.recorder.messages.clear();
        for (int i = 0; i < 3; ++i) database().insert(tables[i], i + 1, old_link);

        SqliteConnection other = SqliteConnection::open_file(database_file, false);
        auto lock = [&] { other.execute("BEGIN EXCLUSIVE"); };
        if (c.lock_at_transfer == 0) lock();
        watch->before_transfer = [&](int n) {
            if (n == c.lock_at_transfer) lock();
        };
        auto page = open_page();
        press_update(*page, u"\\\\OldServer");
        EXPECT_EQ(messages(), std::vector<std::u16string>{
                                  u"An error occured while trying to update linked media files: database is locked"});
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            if (i < c.records_written) EXPECT_EQ(link_of(tables[i], i + 1), u"\\\\NewServer\\Media\\a.xls");
            else EXPECT_EQ(*database().read(tables[i], i + 1), old_link);
        }
        EXPECT_TRUE(fs::is_empty(temp));

        // Once the lock is let go, the next press re-links the rest.
        other.execute("ROLLBACK");
        windows.recorder.messages.clear();
        watch->before_transfer = nullptr;
        press_update(*page, u"\\\\OldServer");
        EXPECT_EQ(messages(), std::vector<std::u16string>{u"Media links have been updated"});
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(link_of(tables[i], i + 1), u"\\\\NewServer\\Media\\a.xls");
        EXPECT_TRUE(fs::is_empty(temp));
    }
}

}  // namespace
