#include "document/support/page_fixture.h"

#include "com/bstr.h"
#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/write_back_grouping.h"

#include <chrono>

namespace {

constexpr char16_t kErrorMessage[] = u"An error occured while trying to update linked media files: ";

const char16_t* const kTables[] = {
    u"AP7VENDORMEDIA",   u"AR7CLIENTMEDIA",     u"EA7EDUCATIONRECOMMENDATIONMEDIA",
    u"EA7FACULTYMEDIA",  u"EA7INDIVIDUALMEDIA", u"EA7RECORDMEDIA",
    u"FAASSETMEDIA",     u"GL7PROJECTMEDIA",    u"PY7EMPLOYEEMEDIA",
    u"PY7EVENTMEDIA",    u"PY7POSITIONSMEDIA",
};

// References the object holds besides the caller's.
ULONG references(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// A container whose every object is a link to \\OldServer\Media\a.xls and which saves nothing.
class SavesNothing final : public ComObject<SavesNothing, IOleContainerControl> {
public:
    HRESULT STDMETHODCALLTYPE ReadFromFile(SHORT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveToFile(SHORT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_OLEType(SHORT* type) override {
        *type = kOleTypeLinked;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_SourceDoc(BSTR* path) override {
        *path = make_bstr(u"\\\\OldServer\\Media\\a.xls");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateLink(BSTR, VARIANT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_UpdateOptions(SHORT* options) override {
        *options = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_UpdateOptions(SHORT) override { return S_OK; }
};

// The host's session, but its write-backs write nothing and report so (result 0).
class WritesNothing final : public ComObject<WritesNothing, IHostRecordset> {
public:
    HRESULT STDMETHODCALLTYPE get_FieldValue(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveNext() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateField(BSTR, BSTR, BSTR, VARIANT*, VARIANT*, SHORT* result) override {
        *result = 0;
        return S_OK;
    }
};
class ConnectionWritingNothing final : public ComObject<ConnectionWritingNothing, IHostConnection> {
public:
    explicit ConnectionWritingNothing(ComPtr<IHostConnection> host) : host_(std::move(host)) {}
    HRESULT STDMETHODCALLTYPE OpenRecordset(BSTR query, LONG options, BSTR source, LONG* number, BSTR* text,
                          IHostRecordset** recordset) override {
        if (options != kRecordsetWriteBack) return host_->OpenRecordset(query, options, source, number, text, recordset);
        *recordset = make_com<WritesNothing>().detach();
        return S_OK;
    }

private:
    ComPtr<IHostConnection> host_;
};
class DataWritingNothing final : public ComObject<DataWritingNothing, IHostDataObject> {
public:
    explicit DataWritingNothing(ComPtr<IHostDataObject> host) : host_(std::move(host)) {}
    HRESULT STDMETHODCALLTYPE get_Connection(IHostConnection** connection) override {
        ComPtr<IHostConnection> real;
        check(host_->get_Connection(real.put()));
        *connection = make_com<ConnectionWritingNothing>(real).detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RecordSources(IHostCommand** command) override { return host_->get_RecordSources(command); }

private:
    ComPtr<IHostDataObject> host_;
};
class SessionWritingNothing final : public ComObject<SessionWritingNothing, ISessionContext> {
public:
    explicit SessionWritingNothing(ComPtr<ISessionContext> host) : host_(std::move(host)) {}
    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* id) override { return host_->get_SessionID(id); }
    HRESULT STDMETHODCALLTYPE get_ApplicationTitle(BSTR* title) override { return host_->get_ApplicationTitle(title); }
    HRESULT STDMETHODCALLTYPE CreateDataObject(BSTR key, IHostDataObject** data) override {
        ComPtr<IHostDataObject> real;
        check(host_->CreateDataObject(key, real.put()));
        *data = make_com<DataWritingNothing>(real).detach();
        return S_OK;
    }

private:
    ComPtr<ISessionContext> host_;
};

class UpdateRun : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Media"});
    }
    // The run as the progress window starts it, with container as its OLE container.
    static HRESULT process(udPathmender& page, IOleContainerControl* container) {
        IDispatch* held = container;
        return ComPtr<udPathmender>(&page).query<_iCallBack>()->Process(&held);
    }
};

TEST_F(UpdateRun, EveryTableIsVisitedInTheTablesOrder) {
    const auto old_link = link_to(u"\\\\OldServer\\Media\\a.xls");
    make_network_file("NewServer/Media/a.xls");
    for (int i = 0; i < 11; ++i) database().insert(kTables[i], i + 1, old_link);
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"Media links have been updated"});
    for (int i = 0; i < 11; ++i) EXPECT_EQ(link_of(kTables[i], i + 1), u"\\\\NewServer\\Media\\a.xls") << i;

    // An object that cannot be loaded in the ninth table: the first eight stay re-linked, and the
    // run ends there with the error.
    windows.recorder.messages.clear();
    const auto newer_link = link_to(u"\\\\OldServer\\Media\\a.xls");
    for (int i = 0; i < 11; ++i) database().insert(kTables[i], i + 100, i == 8 ? std::vector<std::uint8_t>{1, 2} : newer_link);
    press_update(*page, u"\\\\OldServer");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].starts_with(kErrorMessage));
    for (int i = 0; i < 11; ++i) {
        if (i == 8) continue;
        EXPECT_EQ(link_of(kTables[i], i + 100), i < 8 ? u"\\\\NewServer\\Media\\a.xls" : u"\\\\OldServer\\Media\\a.xls") << i;
    }
}

// With write-backs grouped, each table's walk ends with its write-backs committed: when the page
// says how the run went, every record it counts is in the file for anyone to read.
TEST_F(UpdateRun, GroupedWriteBacksAreDurableBeforeThePageSaysAnything) {
    WriteBackGrouping grouping;
    grouping.most_records = 1000;
    grouping.longest = std::chrono::hours(1);
    configure_host([&](HostEnvironment& environment) { environment.hooks.grouping = &grouping; });
    make_network_file("NewServer/Media/a.xls");
    for (int i = 0; i < 11; ++i) database().insert(kTables[i], i + 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    std::vector<std::u16string> seen_at_message;
    windows.recorder.on_message = [&](std::size_t) {
        MediaDatabase other = MediaDatabase::open(database_file);
        for (int i = 0; i < 11; ++i) seen_at_message.push_back(source_doc_of(*other.read(kTables[i], i + 1)));
    };
    press_update(*open_page(), u"\\\\OldServer");
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"Media links have been updated"});
    EXPECT_EQ(seen_at_message, std::vector<std::u16string>(11, u"\\\\NewServer\\Media\\a.xls"));
}

TEST_F(UpdateRun, ASecondRunReportsOnlyItsOwnCounts) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    press_update(*page, u"\\\\OldServer");  // the link now names the new server
    EXPECT_EQ(messages(), (std::vector<std::u16string>{u"Media links have been updated", u"No media links were updated."}));
}

TEST_F(UpdateRun, OneModalProgressWindowPerAcceptedPress) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(windows.recorder.events,
              (std::vector<std::string>{"show frmProgress", "refresh frmProgress",
                                        "message Unable to locate linked media files.", "unload frmProgress"}));
}

TEST_F(UpdateRun, TheContainerIsHeldForTheRunOnly) {
    auto page = open_page();
    auto container = make_com<SavesNothing>();
    const ULONG before = references(container.get());
    EXPECT_EQ(process(*page, container.get()), S_OK);
    EXPECT_EQ(references(container.get()), before);
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"No media links were updated."});
}

TEST_F(UpdateRun, ValidationLeavesTheCaretOrTheWholeTextSelected) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    auto page = open_page();
    auto& previous = control<forms::TextBox>(*page, "txtPrevious");
    auto& update = control<forms::CommandButton>(*page, "cmdUpdate");
    update.SetFocus();
    press_update(*page, u"   ");
    EXPECT_EQ(page->page().ActiveControl(), &previous);

    update.SetFocus();
    press_update(*page, u"\\\\Old\\Share");
    EXPECT_EQ(page->page().ActiveControl(), &previous);
    EXPECT_EQ(previous.SelStart(), 0);
    EXPECT_EQ(previous.SelLength(), 11);
    EXPECT_EQ(messages().size(), 2u);
    for (const auto& e : windows.recorder.events) EXPECT_NE(e, "show frmProgress");
}

TEST_F(UpdateRun, EveryTableIsCountedAndTheNameIsCheckedOnlyWhenThereAreRecords) {
    auto page = open_page();
    press_update(*page, u"no server name");
    // Records in the last table only are enough; blanks and dots may stand in a server name.
    database().insert(u"PY7POSITIONSMEDIA", 1, link_to(u"\\\\A\\s\\a.xls"));
    press_update(*page, u"\\\\ with blanks. and dots");
    EXPECT_EQ(messages(), (std::vector<std::u16string>{u"No media records exist in the system",
                                                        u"No media links were updated."}));
}

TEST_F(UpdateRun, AnEmptyFlattenedObjectIsNeverStored) {
    // Storing the empty text of a container that saved nothing would destroy the record's object.
    const auto original = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"AP7VENDORMEDIA", 1, original);
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page();
    control<forms::TextBox>(*page, "txtPrevious").type(u"\\\\OldServer");
    EXPECT_EQ(process(*page, make_com<SavesNothing>().get()), S_OK);
    EXPECT_EQ(messages(), std::vector<std::u16string>{std::u16string(kErrorMessage) + u"Disk Error"});
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 1), original);
}

TEST_F(UpdateRun, AMediaIdBeyondThirtyTwoBitsEndsTheRunWithOverflow) {
    database().insert(u"AP7VENDORMEDIA", 5000000000LL, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(messages(), std::vector<std::u16string>{std::u16string(kErrorMessage) + u"Overflow"});
}

TEST_F(UpdateRun, AWriteBackThatWroteNothingEndsTheRunAndIsNotCountedAsUpdated) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page(false);
    ISessionContext* session = make_com<SessionWritingNothing>(host_session()).detach();
    check(page->Init(&session));
    session->Release();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(messages(), std::vector<std::u16string>{std::u16string(kErrorMessage) +
                                                      u"The record AP7VENDORMEDIA MEDIAID 1 was not written"});
}

TEST_F(UpdateRun, AMediaIdThatIsNoWholeNumberIsNeverRoundedOntoAnotherRecord) {
    // A table whose keys are text, as some hosts' tables are.
    database().connection().execute("DROP TABLE AP7VENDORMEDIA; "
                                    "CREATE TABLE AP7VENDORMEDIA (MEDIAID TEXT PRIMARY KEY, Object BLOB, ParentID INTEGER)");
    const auto other = link_to(u"\\\\Archive\\Media\\b.xls");
    make_network_file("NewServer/Media/a.xls");
    const struct {
        const char* key;
        const char16_t* why;
    } cases[] = {{"2x", u"is not a whole number"},
                 {"2.5", u"is not a whole number"},
                 {" 2", u"is not a whole number"},
                 {"", u"is not a whole number"},
                 {"+2", u"is not a whole number"},
                 {"02", u"is not written as the whole number it stands for"},
                 {"-0", u"is not written as the whole number it stands for"}};
    for (const auto& [key, why] : cases) {
        SCOPED_TRACE(key);
        database().connection().execute("DELETE FROM AP7VENDORMEDIA");
        database().insert(u"AP7VENDORMEDIA", 2, other);
        auto insert = database().connection().prepare("INSERT INTO AP7VENDORMEDIA (MEDIAID, Object) VALUES (?1, ?2)");
        insert.bind_text(1, key);
        const auto link = link_to(u"\\\\OldServer\\Media\\a.xls");
        insert.bind_blob(2, link);
        insert.step();
        windows.recorder.messages.clear();
        press_update(*open_page(), u"\\\\OldServer");
        EXPECT_EQ(messages(), std::vector<std::u16string>{std::u16string(kErrorMessage) + u"The MEDIAID \"" +
                                                          utf16(key) + u"\" of a record of AP7VENDORMEDIA " + why});
        EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 2), other);
    }
}

}  // namespace
