// The file-system and network interfaces carry the platform's IIDs, so each member the module calls
// must sit in the slot the platform's object has it in; a member declared out of order would call
// another one there. Slots count from QueryInterface; IDispatch's members take 3 to 6.
#include <cstdint>
#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/file_system_object.h"
#include "platform/wsh_network.h"
#include "platform/wsh_network_object.h"

namespace {

// Under the Itanium C++ ABI a pointer to a virtual member holds 1 + the member's byte offset in
// the vtable.
template <class Member>
std::size_t slot_of(Member member) {
    struct Representation {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    };
    static_assert(sizeof(Member) == sizeof(Representation));
    Representation raw;
    std::memcpy(&raw, &member, sizeof raw);
    EXPECT_EQ(raw.pointer % sizeof(void*), 1u) << "not a virtual member";
    return (raw.pointer - 1) / sizeof(void*);
}

struct Slot {
    std::string_view member;
    std::size_t actual;
    std::size_t expected;
};

TEST(InterfaceSlots, EveryMemberTheModuleCallsSitsInThePlatformsSlot) {
    const Slot slots[] = {
        {"IFileSystem::FileExists", slot_of(&IFileSystem::FileExists), 17},
        {"IFileSystem::FolderExists", slot_of(&IFileSystem::FolderExists), 18},
        {"IFileSystem::GetFolder", slot_of(&IFileSystem::GetFolder), 21},
        {"IFileSystem::OpenTextFile", slot_of(&IFileSystem::OpenTextFile), 31},
        {"IFileSystem3::GetFileVersion", slot_of(&IFileSystem3::GetFileVersion), 33},
        {"IFolder::get_Path", slot_of(&IFolder::get_Path), 7},
        {"IFolder::get_Name", slot_of(&IFolder::get_Name), 8},
        {"IFolder::get_SubFolders", slot_of(&IFolder::get_SubFolders), 25},
        {"IFolder::get_Files", slot_of(&IFolder::get_Files), 26},
        {"IFile::get_Path", slot_of(&IFile::get_Path), 7},
        {"IFile::get_Name", slot_of(&IFile::get_Name), 8},
        {"IFile::OpenAsTextStream", slot_of(&IFile::OpenAsTextStream), 24},
        {"IFileCollection::get__NewEnum", slot_of(&IFileCollection::get__NewEnum), 8},
        {"IFileCollection::get_Count", slot_of(&IFileCollection::get_Count), 9},
        {"IFolderCollection::get__NewEnum", slot_of(&IFolderCollection::get__NewEnum), 9},
        {"IFolderCollection::get_Count", slot_of(&IFolderCollection::get_Count), 10},
        {"IWshCollection::Item", slot_of(&IWshCollection::Item), 7},
        {"IWshCollection::Count", slot_of(&IWshCollection::Count), 8},
        {"IWshNetwork2::EnumNetworkDrives", slot_of(&IWshNetwork2::EnumNetworkDrives), 15},
        {"IWshNetwork2::AddWindowsPrinterConnection", slot_of(&IWshNetwork2::AddWindowsPrinterConnection), 20},
    };
    for (const Slot& slot : slots) EXPECT_EQ(slot.actual, slot.expected) << slot.member;
}

// The module asks for IFileSystem and IWshNetwork2; the platform's objects answer their base
// interfaces as well, and so do the stand-ins.
TEST(InterfaceSlots, StandInsAnswerTheDefaultInterfaceAndItsBase) {
    ComPtr<IFileSystem> fso;
    ASSERT_EQ(CreateFileSystemObject(fso.put()), S_OK);
    ComPtr<IFileSystem3> fso3 = fso.try_query<IFileSystem3>();
    ASSERT_TRUE(fso3);
    EXPECT_TRUE(fso3.try_query<IFileSystem>());
    ComPtr<IWshNetwork2> network;
    ASSERT_EQ(CreateWshNetwork(network.put()), S_OK);
    EXPECT_TRUE(network.try_query<IWshNetwork>());
    EXPECT_TRUE(network.try_query<IWshNetwork>().try_query<IWshNetwork2>());
}

}  // namespace
