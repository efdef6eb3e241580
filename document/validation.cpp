// Pressing Update: the checks that must pass before a run starts, and the start itself.
#include <string_view>

#include "com/error.h"
#include "document/blank_text.h"
#include "document/udPathmender.h"
#include "media/frmProgress.h"

namespace {

constexpr std::u16string_view kInvalidCharacters = u"\\/:*?<>|\"";
constexpr char16_t kInvalidName[] = u"Please specify a valid server name (e.g. \\\\MyPreviousServer)";

}  // namespace

void udPathmender::cmdUpdate_Click() {
    if (!ValidateInput()) return;
    frmProgress progress;
    progress.Init(ComPtr<_iCallBack>(static_cast<_iCallBack*>(this)));
    progress.Show(1);
}

bool udPathmender::ValidateInput() {
    auto select_whole_text = [this] {
        txtPrevious->SetFocus();
        txtPrevious->set_SelStart(0);
        txtPrevious->set_SelLength(int(txtPrevious->Text().size()));
    };

    if (CountMediaRecords() < 1) {
        ShowMessage(u"No media records exist in the system", vbInformation);
        return false;
    }
    const std::u16string& text = txtPrevious->Text();
    if (trim_blanks(text).empty()) {
        ShowMessage(u"Required field missing: Previous server name", vbInformation);
        txtPrevious->SetFocus();
        return false;
    }
    // "\\" then a name that holds none of the invalid characters. "\\" alone names no server:
    // accepting it would select every UNC link in the database.
    const bool leading_pair = text.starts_with(u"\\\\");
    const std::u16string_view name = leading_pair ? std::u16string_view(text).substr(2) : std::u16string_view();
    if (!leading_pair || name.empty() || name.find_first_of(kInvalidCharacters) != std::u16string_view::npos) {
        ShowMessage(kInvalidName, vbInformation);
        select_whole_text();
        return false;
    }
    return true;
}

LONG udPathmender::CountMediaRecords() {
    LONG total = 0;
    for (const Variant& table : TableList) {
        const ComPtr<IHostDataObject> data = GetDataObject();
        ComPtr<IHostConnection> connection;
        check(data->get_Connection(connection.put()), data);
        Bstr query(u"Select count(MEDIAID) from dbo." + table.to_text()), source, text;
        LONG number = 0;
        ComPtr<IHostRecordset> records;
        check(connection->OpenRecordset(query.get(), kRecordsetForward, source.get(), &number, text.put(), records.put()), connection);
        VARIANT_BOOL eof = VARIANT_TRUE;
        check(records->get_EOF(&eof), records);
        if (!eof) {
            Variant value;
            check(records->get_FieldValue(*Variant(std::int32_t{0}).get(), value.put()), records);
            total = round_to_int32(leading_number(value.to_text()) + total);
        }
        check(records->Close(), records);
    }
    return total;
}
