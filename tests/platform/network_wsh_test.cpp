#include "platform/wsh_network_object.h"

#include <gtest/gtest.h>

#include "com/class_factory.h"
#include "com/error.h"
#include "com/utf.h"
#include "platform/platform_classes.h"
#include "support/network_tree.h"

namespace {

std::u16string item_text(IWshCollection* drives, VARIANT index) {
    Variant value;
    check(drives->Item(&index, value.put()));
    EXPECT_EQ(value.type(), VT_BSTR);
    return value.to_text();
}

VARIANT int_index(VARTYPE vt, std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    if (vt == VT_I2) v.iVal = std::int16_t(value);
    else v.lVal = value;
    return v;
}

ComPtr<IWshCollection> enumerate_drives(IWshNetwork2* network) {
    ComPtr<IWshCollection> drives;
    check(network->EnumNetworkDrives(drives.put()));
    return drives;
}

TEST(WshNetwork, ConnectionsComeInPairsFromTheConnectionsFile) {
    NetworkTree tree;
    tree.file("drives.txt",
              "# mapped drives\n"
              "Y: \\\\FileServer\\Media\n"
              "\n"
              "   \n"
              "- \\\\Backup\\Archive\n"
              "# Z: \\\\Commented\\Out\n"
              "Z: \\\\NewServer\\Data\n");
    ComPtr<IWshNetwork2> network;
    ASSERT_EQ(CreateWshNetwork(network.put()), S_OK);
    auto drives = enumerate_drives(network.get());
    LONG count = 0;
    check(drives->Count(&count));
    ASSERT_EQ(count, 6);
    const char16_t* expected[] = {u"Y:", u"\\\\FileServer\\Media", u"", u"\\\\Backup\\Archive",
                                  u"Z:", u"\\\\NewServer\\Data"};
    for (std::int32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(item_text(drives.get(), int_index(VT_I4, i)), expected[i]);
        EXPECT_EQ(item_text(drives.get(), int_index(VT_I2, i)), expected[i]);
        std::int32_t by_reference = i;
        VARIANT ref = Variant::ref(&by_reference).detach();
        EXPECT_EQ(item_text(drives.get(), ref), expected[i]);
    }
}

TEST(WshNetwork, BadIndexIsAnErrorAndLeavesAnEmptyValue) {
    NetworkTree tree;
    tree.file("drives.txt", "Z: \\\\NewServer\\Data\n");
    ComPtr<IWshNetwork2> network;
    ASSERT_EQ(CreateWshNetwork(network.put()), S_OK);
    auto drives = enumerate_drives(network.get());
    struct Case {
        VARIANT index;
        std::int32_t number;
    };
    Variant text(std::u16string_view(u"1"));
    const Case cases[] = {
        {int_index(VT_I4, 2), 9}, {int_index(VT_I4, -1), 9}, {int_index(VT_I2, 300), 9},
        {*text.get(), 13}, {Variant(1.0).detach(), 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        VARIANT index = c.index;
        VARIANT value;
        value.vt = VT_I4;  // poisoned: the failure must leave it empty
        HRESULT hr = drives->Item(&index, &value);
        EXPECT_EQ(hr, hresult_from_error_number(c.number));
        EXPECT_EQ(value.vt, VT_EMPTY);
    }
    EXPECT_EQ(drives->Item(nullptr, nullptr), E_POINTER);
}

TEST(WshNetwork, EachEnumerationIsASnapshotOfTheFile) {
    NetworkTree tree;
    tree.file("drives.txt", "Z: \\\\NewServer\\Data\n");
    ComPtr<IWshNetwork2> network;
    ASSERT_EQ(CreateWshNetwork(network.put()), S_OK);
    auto first = enumerate_drives(network.get());
    tree.file("drives.txt", "");
    auto second = enumerate_drives(network.get());
    LONG count = -1;
    check(first->Count(&count));
    EXPECT_EQ(count, 2);
    check(second->Count(&count));
    EXPECT_EQ(count, 0);
}

TEST(WshNetwork, AMalformedFileFailsTheEnumerationWithItsReason) {
    NetworkTree tree;
    tree.file("drives.txt", "Z: NewServer\n");
    ComPtr<IWshNetwork2> network;
    ASSERT_EQ(CreateWshNetwork(network.put()), S_OK);
    IWshCollection* drives = reinterpret_cast<IWshCollection*>(0x1);
    HRESULT hr = network->EnumNetworkDrives(&drives);
    EXPECT_EQ(hr, hresult_from_error_number(5));
    EXPECT_EQ(drives, nullptr);
    ErrorRecord record;
    ASSERT_TRUE(GetErrorRecord(hr, &record));
    EXPECT_NE(utf8(record.description).find("line 1"), std::string::npos);
}

TEST(WshNetwork, RegisteredForCreationByClassIdentifier) {
    NetworkTree tree;
    tree.file("drives.txt", "- \\\\a\\b\n");
    register_platform_classes();
    auto network = create_instance<IWshNetwork2>(CLSID_WshNetwork);
    LONG count = 0;
    check(enumerate_drives(network.get())->Count(&count));
    EXPECT_EQ(count, 2);
    CoRevokeClassObject(CLSID_WshNetwork);
}

}  // namespace
