// The list of mapped network drives that the search can start in.
#include "com/class_factory.h"
#include "com/error.h"
#include "document/blank_text.h"
#include "document/udPathmender.h"

ComPtr<IWshCollection> udPathmender::GetNetworkDrives() {
    if (!NetworkDrives) {
        auto network = create_instance<IWshNetwork2>(CLSID_WshNetwork);
        check(network->EnumNetworkDrives(NetworkDrives.put()), network);
    }
    return NetworkDrives;
}

namespace {

std::u16string item_text(IWshCollection& drives, LONG index) {
    Variant at(std::int32_t{index}), value;
    check(drives.Item(at.get(), value.put()), &drives);
    return value.to_text();
}

}  // namespace

void udPathmender::FillMappedDrives() {
    cboMapped->Clear();
    auto drives = GetNetworkDrives();
    LONG count = 0;
    check(drives->Count(&count), drives);

    std::u16string pending;
    for (LONG i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            pending = item_text(*drives, i);
        } else if (!trim_blanks(pending).empty()) {
            cboMapped->AddItem(pending + u"     (" + item_text(*drives, i) + u")");
            cboMapped->set_ItemData(cboMapped->NewIndex(), i);
            pending.clear();
        }
    }
    // Connections without a drive letter give no entry: with none left there is nothing to pick,
    // so no update may start.
    if (cboMapped->ListCount() == 0) {
        ShowMessage(u"No mapped network drives found.", vbInformation);
        cmdUpdate->Enabled = false;
        return;
    }
    cboMapped->set_ListIndex(0);
}
