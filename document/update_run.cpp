// The update run: every media record of every table, its link re-made to the file's new place.
#include <limits>

#include "com/error.h"
#include "document/server_name.h"
#include "document/blank_text.h"
#include "document/udPathmender.h"
#include "media/CMediaObjectHandler.h"

namespace {

constexpr char16_t kErrorMessage[] = u"An error occured while trying to update linked media files: ";

Variant field(IHostRecordset& records, std::int32_t column) {
    Variant value;
    check(records.get_FieldValue(*Variant(column).get(), value.put()), &records);
    return value;
}

bool at_end(IHostRecordset& records) {
    VARIANT_BOOL eof = VARIANT_TRUE;
    check(records.get_EOF(&eof), &records);
    return eof != VARIANT_FALSE;
}

void count_one(LONG& counter) {
    if (counter == std::numeric_limits<LONG>::max()) raise_standard_error(RuntimeError::Overflow);
    ++counter;
}

std::u16string summary(LONG updated, LONG not_found) {
    if (updated > 0) {
        return not_found == 0 ? u"Media links have been updated"
                              : u"Media links have been updated.  Some linked media files could not be located.";
    }
    return not_found == 0 ? u"No media links were updated." : u"Unable to locate linked media files.";
}

// The run's share indexes: empty when the run starts, emptied when it ends, however it ends.
class RunIndexes {
public:
    explicit RunIndexes(ShareIndexes& indexes) : indexes_(indexes) { indexes_.clear(); }
    ~RunIndexes() { indexes_.clear(); }
    RunIndexes(const RunIndexes&) = delete;
    RunIndexes& operator=(const RunIndexes&) = delete;

private:
    ShareIndexes& indexes_;
};

}  // namespace

HRESULT STDMETHODCALLTYPE udPathmender::Process(IDispatch** oOle)
try {
    if (!oOle) return E_POINTER;
    OleContainer = ComPtr<IDispatch>(*oOle).query<IOleContainerControl>(RuntimeError::TypeMismatch);
    ProcessMediaTables();
    OleContainer.reset();
    return S_OK;
} catch (...) {
    OleContainer.reset();
    return hresult_from_current_exception();
}

void udPathmender::ProcessMediaTables() {
    UpdatedCount = 0;
    NotFoundCount = 0;
    const std::u16string previousServer = txtPrevious->Text();
    CMediaObjectHandler loader;
    loader.Init(SessionContext);
    RunIndexes indexes(SearchIndexes);

    ComPtr<IHostRecordset> records;
    try {
        for (const Variant& table : TableList) {
            records = OpenMediaRecords(table);
            while (!at_end(*records)) {
                // The field's own copy is let go before the load: a large object is held once less.
                const std::u16string object = field(*records, 1).to_text();
                loader.LoadObject(OleContainer.get(), object);
                SHORT type = kOleTypeNone;
                check(OleContainer->get_OLEType(&type), OleContainer);
                if (type == kOleTypeLinked) {
                    Bstr sourceDoc;
                    check(OleContainer->get_SourceDoc(sourceDoc.put()), OleContainer);
                    if (NamesServer(sourceDoc.view(), previousServer)) {
                        const int entry = cboMapped->ListIndex();
                        Variant index(std::int32_t{cboMapped->ItemData(entry)}), searchRoot;
                        const ComPtr<IWshCollection> drives = GetNetworkDrives();
                        check(drives->Item(index.get(), searchRoot.put()), drives);
                        const bool exactOnly = chkExactMatch->Value == 1;
                        std::u16string found =
                            FindLinkedFile(sourceDoc.str(), previousServer, searchRoot.to_text(), exactOnly);
                        if (trim_blanks(found).empty()) {
                            count_one(NotFoundCount);
                        } else {
                            LONG mediaId = WriteBackKey(field(*records, 0), table);
                            UpdateMediaLink(found, mediaId, table);
                        }
                    }
                }
                check(records->MoveNext(), records);
            }
            check(records->Close(), records);
            records.reset();
        }
        ShowMessage(summary(UpdatedCount, NotFoundCount), vbInformation);
    } catch (...) {
        // Whatever ends the run ends it with this one message.
        ShowMessage(kErrorMessage + error_text(error_from_current_exception()), vbInformation);
    }
    records.reset();
    loader.Closedown();
}

LONG udPathmender::WriteBackKey(const Variant& mediaId, const Variant& tableName) {
    // Only a whole number names the record, and only as it is written: the leading number of "2x",
    // 2.5 rounded, or the 2 of "02" or "+2" is the key of another record, whose object the
    // write-back would replace.
    const std::u16string text = mediaId.to_text();
    const std::u16string_view digits = std::u16string_view(text).substr(text.starts_with(u'-') ? 1 : 0);
    const auto refuse = [&](std::u16string_view why) {
        raise_error(RuntimeError::TypeMismatch, u"The MEDIAID \"" + text + u"\" of a record of " + tableName.to_text() +
                                                    u" " + std::u16string(why));
    };
    if (digits.empty() || digits.find_first_not_of(u"0123456789") != std::u16string_view::npos)
        refuse(u"is not a whole number");
    if ((digits.size() > 1 && digits[0] == u'0') || text == u"-0")
        refuse(u"is not written as the whole number it stands for");
    return round_to_int32(leading_number(text));
}

ComPtr<IHostRecordset> udPathmender::OpenMediaRecords(const Variant& tableName) {
    const ComPtr<IHostDataObject> data = GetDataObject();
    ComPtr<IHostCommand> sources;
    check(data->get_RecordSources(sources.put()), data);
    ComPtr<IHostRecordSource> source;
    check(sources->CreateRecordSource(*Variant::missing().get(), source.put()), sources);
    for (const char16_t* column : {u"MEDIAID", u"Object", u"ParentID"})
        check(source->AddField(Bstr(column).get(), Bstr().get(), *Variant::missing().get()), source);
    check(source->SetTable(Bstr(tableName.to_text()).get(), 0), source);
    Bstr sql;
    check(source->get_SQL(sql.put()), source);

    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()), data);
    LONG number = 0;
    Bstr text;
    ComPtr<IHostRecordset> records;
    check(connection->OpenRecordset(sql.get(), kRecordsetForward, Bstr().get(), &number, text.put(), records.put()), connection);

    Bstr key;
    check(source->get_Key(key.put()), source);
    check(data->get_RecordSources(sources.put()), data);
    check(sources->ReleaseRecordSource(*Variant(key.view()).get()), sources);
    return records;
}

void udPathmender::UpdateMediaLink(std::u16string& newPath, LONG& mediaId, Variant tableName) {
    CMediaObjectHandler saver;
    saver.Init(SessionContext);

    SHORT options = 0;
    check(OleContainer->get_UpdateOptions(&options), OleContainer);
    check(OleContainer->CreateLink(Bstr(newPath).get(), *Variant::missing().get()), OleContainer);
    check(OleContainer->put_UpdateOptions(options), OleContainer);

    std::u16string flattened = saver.FlattenObject(OleContainer.get());
    // Storing nothing over the record would destroy its object.
    if (flattened.empty()) raise_error(RuntimeError::OleSaveToFile, u"Disk Error");

    const ComPtr<IHostDataObject> data = GetDataObject();
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()), data);
    LONG number = 0;
    Bstr text;
    ComPtr<IHostRecordset> writer;
    check(connection->OpenRecordset(Bstr().get(), kRecordsetWriteBack, Bstr(u"udPathmender_UpdateMediaLink").get(),
                                    &number, text.put(), writer.put()), connection);
    Variant key = Variant::ref(&mediaId);
    Variant value{std::u16string_view(flattened)};
    SHORT result = 0;
    check(writer->UpdateField(Bstr(tableName.to_text()).get(), Bstr(u"Object").get(), Bstr(u"MEDIAID").get(),
                              key.get(), value.get(), &result), writer);
    // A write-back that wrote no record did not re-link anything: it must not count as updated.
    if (result < 1)
        raise_error(RuntimeError::PathFileAccessError, u"The record " + tableName.to_text() + u" MEDIAID " +
                                                           Variant(std::int32_t{mediaId}).to_text() + u" was not written");
    check(writer->Close(), writer);
    writer.reset();
    count_one(UpdatedCount);
    saver.Closedown();
}

ComPtr<IHostDataObject> udPathmender::GetDataObject() {
    if (!DataObject) {
        if (!SessionContext) raise_error(RuntimeError::ObjectVariableNotSet, u"No session with the host is open");
        Bstr key(std::u16string(kDataObjectKeyHead) + kDataObjectKeyTail);
        check(SessionContext->CreateDataObject(key.get(), DataObject.put()), SessionContext);
    }
    return DataObject;
}
