#include "hostapp/support/host_session.h"

#include "com/error.h"
#include "platform/ole/ansi_codepage.h"

ComPtr<IHostDataObject> open_data_object(const ComPtr<ISessionContext>& session) {
    Bstr key(std::u16string(kDataObjectKeyHead) + kDataObjectKeyTail);
    ComPtr<IHostDataObject> data;
    check(session->CreateDataObject(key.get(), data.put()));
    return data;
}

ComPtr<IHostRecordset> open_query(IHostDataObject* data, std::u16string_view query) {
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()));
    LONG number = 0;
    Bstr text;
    ComPtr<IHostRecordset> records;
    check(connection->OpenRecordset(Bstr(query).get(), kRecordsetForward, Bstr().get(), &number, text.put(),
                                    records.put()));
    return records;
}

ComPtr<IHostRecordset> open_media_records(IHostDataObject* data, std::u16string_view table) {
    ComPtr<IHostCommand> command;
    check(data->get_RecordSources(command.put()));
    ComPtr<IHostRecordSource> source;
    check(command->CreateRecordSource(*Variant::missing().get(), source.put()));
    for (std::u16string_view field : {u"MEDIAID", u"Object", u"ParentID"})
        check(source->AddField(Bstr(field).get(), Bstr().get(), *Variant::missing().get()));
    check(source->SetTable(Bstr(table).get(), 0));
    Bstr sql;
    check(source->get_SQL(sql.put()));
    ComPtr<IHostRecordset> records = open_query(data, sql.view());
    Bstr key;
    check(source->get_Key(key.put()));
    check(command->ReleaseRecordSource(*Variant(key.view()).get()));
    return records;
}

HRESULT write_back(IHostDataObject* data, std::u16string_view table, std::u16string_view field,
                   std::u16string_view key_field, Variant key, std::u16string_view text, SHORT* result) {
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()));
    ComPtr<IHostRecordset> writer;
    check(connection->OpenRecordset(nullptr, kRecordsetWriteBack, Bstr(u"udPathmender_UpdateMediaLink").get(), nullptr,
                                    nullptr, writer.put()));
    Variant value(text);
    HRESULT hr = writer->UpdateField(Bstr(table).get(), Bstr(field).get(), Bstr(key_field).get(), key.get(), value.get(),
                                     result);
    if (SUCCEEDED(hr)) check(writer->Close());
    return hr;
}

void update_media_object(IHostDataObject* data, std::u16string_view table, std::int32_t media_id,
                         std::u16string_view text) {
    SHORT result = 0;
    check(write_back(data, table, u"Object", u"MEDIAID", Variant::ref(&media_id), text, &result));
}

Variant field_value(IHostRecordset* records, std::int32_t column) {
    Variant value;
    check(records->get_FieldValue(*Variant(column).get(), value.put()));
    return value;
}

bool at_end(IHostRecordset* records) {
    VARIANT_BOOL eof = VARIANT_FALSE;
    check(records->get_EOF(&eof));
    return eof != VARIANT_FALSE;
}

std::u16string ansi_text(const std::vector<std::uint8_t>& bytes) { return pathmender::ole::ansi_decode(bytes); }
