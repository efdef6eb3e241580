#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/guid.h"
#include "com/object.h"
#include "com/utf.h"
#include "com/variant.h"

namespace {

struct ITest : IDispatch {
    static constexpr IID iid = make_guid("{11111111-2222-3333-4444-555555555555}");
    virtual HRESULT Fail(LONG number) = 0;
};
struct IOther : IDispatch {
    static constexpr IID iid = make_guid("{66666666-2222-3333-4444-555555555555}");
};

class Sample final : public ComObject<Sample, ITest, IOther> {
public:
    HRESULT Fail(LONG number) override
    try {
        raise_error(number, u"broken", u"Sample");
    } catch (...) {
        return hresult_from_current_exception();
    }
};

TEST(Guid, ParsesAndPrintsTheBracedForm) {
    constexpr GUID g = make_guid("{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}");
    EXPECT_EQ(to_string(g), "{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}");
    EXPECT_EQ(parse_guid("{3c22fa23-8cd8-45ad-be4d-32ccaa42826c}"), g);
    EXPECT_EQ(parse_guid("3C22FA23-8CD8-45AD-BE4D-32CCAA42826C"), g);
    EXPECT_EQ(g.Data1, 0x3C22FA23u);
    EXPECT_EQ(g.Data4[0], 0xBE);
    for (const char* bad : {"", "{3C22FA23-8CD8-45AD-BE4D-32CCAA42826}", "{3C22FA23x8CD8-45AD-BE4D-32CCAA42826C}",
                            "{3C22FA23-8CD8-45AD-BE4D-32CCAA42826G}"})
        EXPECT_FALSE(parse_guid(bad).has_value()) << bad;
}

TEST(Bstr, KeepsAByteLengthInFrontOfTheText) {
    BSTR b = SysAllocString(u"abc");
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<char*>(b) - 4, 4);
    EXPECT_EQ(bytes, 6u);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(b[3], 0);
    SysFreeString(b);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    Bstr embedded(std::u16string_view(u"a\0b", 3));
    EXPECT_EQ(embedded.view().size(), 3u);  // the length prefix, not the NUL, ends the text
}

TEST(ComPtr, CountsReferencesExactly) {
    ComPtr<ITest> a = make_com<Sample>();
    auto refs = [&] { a->AddRef(); return a->Release(); };
    EXPECT_EQ(refs(), 1u);
    {
        ComPtr<ITest> copy = a;
        EXPECT_EQ(refs(), 2u);
        ComPtr<ITest> moved = std::move(copy);
        EXPECT_EQ(refs(), 2u);
    }
    EXPECT_EQ(refs(), 1u);
    ComPtr<IOther> other = a.query<IOther>();
    ASSERT_TRUE(other);
    EXPECT_EQ(refs(), 2u);
    ComPtr<IUnknown> same1 = a.query<IUnknown>(), same2 = other.query<IUnknown>();
    EXPECT_EQ(same1.get(), same2.get());  // one identity whichever interface is asked
    HRESULT hr = S_OK;
    EXPECT_FALSE(a.query<IClassFactory>(&hr));
    EXPECT_EQ(hr, E_NOINTERFACE);
    other.put();  // put() releases what it held
    EXPECT_EQ(refs(), 3u);  // same1 and same2 still hold one each
}

TEST(Errors, TravelAsHresultsWithTheThreadsErrorInfo) {
    EXPECT_EQ(hresult_from_error_number(5), HRESULT(0x800A0005));
    EXPECT_EQ(error_number_from_hresult(HRESULT(0x800A7A5D)), 31325);
    EXPECT_EQ(error_number_from_hresult(E_NOINTERFACE), E_NOINTERFACE);

    ComPtr<ITest> t = make_com<Sample>();
    HRESULT hr = t->Fail(31037);
    EXPECT_EQ(hr, HRESULT(0x800A0000 | 31037));
    try {
        check(hr);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 31037);
        EXPECT_EQ(e.description, u"broken");
        EXPECT_EQ(e.source, u"Sample");
    }
    // Without error info for that HRESULT, the standard text stands in.
    try {
        check(hresult_from_error_number(70));
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.description, u"Permission denied");
    }
}

TEST(Variant, ConvertsAsThePlatformDoes) {
    struct Case {
        const char16_t* text;
        double number;
    } cases[] = {{u"42", 42}, {u"  7.5abc", 7.5}, {u"", 0}, {u"abc", 0}, {u"-3e2", -300}, {u"0x10", 0}, {u"inf", 0}};
    for (const auto& c : cases) EXPECT_EQ(leading_number(c.text), c.number) << utf8(c.text);

    EXPECT_EQ(round_to_int32(2.5), 2);  // halves go to the even neighbour
    EXPECT_EQ(round_to_int32(3.5), 4);
    EXPECT_EQ(round_to_int32(-2.5), -2);
    EXPECT_THROW(round_to_int32(2147483648.0), ComError);
    EXPECT_EQ(Variant(std::int32_t{-5}).to_text(), u"-5");
    EXPECT_EQ(Variant(0.5).to_text(), u"0.5");
    EXPECT_EQ(Variant(std::u16string_view(u"12")).to_int32(), 12);
    try {
        (void)Variant::null().to_text();
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 94);
        EXPECT_EQ(e.description, u"Invalid use of Null");
    }
    EXPECT_TRUE(Variant::missing().is_missing());
    std::int32_t target = 9;
    EXPECT_EQ(Variant::ref(&target).to_int32(), 9);
}

TEST(Utf, RoundTripsAndReplacesWhatIsIllFormed) {
    std::u16string text = u"Ärger \U0001F600 \\\\srv";
    EXPECT_EQ(utf16(utf8(text)), text);
    EXPECT_EQ(utf16("\xff" "a"), u"\uFFFDa");
    EXPECT_EQ(utf16("\xc3"), u"\uFFFD");  // cut short
}

TEST(ClassFactory, CreatesRegisteredClassesAndCountsLocks) {
    constexpr CLSID clsid = make_guid("{77777777-2222-3333-4444-555555555555}");
    auto factory = make_com<ClassFactory<Sample>>();
    ASSERT_EQ(CoRegisterClassObject(clsid, factory.get()), S_OK);
    long before = module_object_count();
    {
        ComPtr<ITest> made = create_instance<ITest>(clsid);
        EXPECT_EQ(module_object_count(), before + 1);
        factory->LockServer(1);
        EXPECT_EQ(module_object_count(), before + 2);
        factory->LockServer(0);
    }
    EXPECT_EQ(module_object_count(), before);
    CoRevokeClassObject(clsid);
    try {
        create_instance<ITest>(clsid);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 429);
    }
}

}  // namespace
