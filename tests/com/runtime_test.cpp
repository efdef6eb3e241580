#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <set>
#include <thread>

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/error_info.h"
#include "com/guid.h"
#include "com/object.h"
#include "com/utf.h"
#include "com/variant.h"

namespace {

struct ITest : IDispatch {
    static constexpr IID iid = make_guid("{11111111-2222-3333-4444-555555555555}");
    virtual HRESULT STDMETHODCALLTYPE Fail(LONG number) = 0;
};
struct IOther : IDispatch {
    static constexpr IID iid = make_guid("{66666666-2222-3333-4444-555555555555}");
};

class Sample final : public ComObject<Sample, ITest, IOther> {
public:
    HRESULT STDMETHODCALLTYPE Fail(LONG number) override
    try {
        raise_error(number, u"broken", u"Sample");
    } catch (...) {
        return hresult_from_current_exception();
    }
};

// Classes whose construction fails.
class Refusing final : public ComObject<Refusing, ITest> {
public:
    Refusing() { raise_error(RuntimeError::PermissionDenied, u"refused", u"Refusing"); }
    HRESULT STDMETHODCALLTYPE Fail(LONG) override { return S_OK; }
};
class Starved final : public ComObject<Starved, ITest> {
public:
    Starved() { throw std::bad_alloc(); }
    HRESULT STDMETHODCALLTYPE Fail(LONG) override { return S_OK; }
};

constexpr CLSID kSampleClass = make_guid("{77777777-2222-3333-4444-555555555555}");

// The references object holds, read without changing them.
ULONG refs(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The error action raises, if it does.
std::optional<ComError> error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const ComError& e) {
        return e;
    }
    return std::nullopt;
}

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
    EXPECT_EQ(refs(a.get()), 1u);
    {
        ComPtr<ITest> copy = a;
        EXPECT_EQ(refs(a.get()), 2u);
        ComPtr<ITest> moved = std::move(copy);
        EXPECT_EQ(refs(a.get()), 2u);
    }
    EXPECT_EQ(refs(a.get()), 1u);
    ComPtr<IOther> other = a.query<IOther>();
    EXPECT_EQ(refs(a.get()), 2u);
    ComPtr<IUnknown> same1 = a.query<IUnknown>(), same2 = other.try_query<IUnknown>();
    EXPECT_EQ(same1.get(), same2.get());  // one identity whichever interface is asked
    other.put();  // put() releases what it held
    EXPECT_EQ(refs(a.get()), 3u);  // same1 and same2 still hold one each
}

TEST(ComPtr, QueryRaisesWhereTryQueryGivesNothing) {
    ComPtr<ITest> a = make_com<Sample>();
    HRESULT hr = S_OK;
    EXPECT_FALSE(a.try_query<IClassFactory>(&hr));
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_FALSE(ComPtr<ITest>().try_query<IOther>(&hr));
    EXPECT_EQ(hr, E_POINTER);

    const ComPtr<ITest> nothing;
    struct Case {
        const char* name;
        std::function<void()> query;
        std::int32_t number;
        std::u16string description;
    } cases[] = {
        {"lacking", [&] { a.query<IClassFactory>(); }, E_NOINTERFACE, u"No such interface supported"},
        {"lacking, named", [&] { a.query<IClassFactory>(RuntimeError::TypeMismatch); },
         error_number(RuntimeError::TypeMismatch), u"Type mismatch"},
        {"nothing", [&] { nothing.query<IOther>(); }, error_number(RuntimeError::ObjectVariableNotSet),
         u"Object variable or With block variable not set"},
        {"nothing, named", [&] { nothing.query<IOther>(RuntimeError::TypeMismatch); },
         error_number(RuntimeError::ObjectVariableNotSet),
         u"Object variable or With block variable not set"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto error = error_of(c.query);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, c.number);
        EXPECT_EQ(error->description, c.description);
    }
    EXPECT_EQ(refs(a.get()), 1u);  // a failed query holds nothing
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
        check(ComError(RuntimeError::PermissionDenied).hresult());
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.description, u"Permission denied");
    }
}

// The error object in the slot, taken out of it; null when there was none.
ComPtr<IErrorInfo> take_error_info(HRESULT expected = S_OK) {
    ComPtr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, info.put()), expected);
    return info;
}

std::u16string description_of(IErrorInfo* info) {
    Bstr text;
    EXPECT_EQ(info->GetDescription(text.put()), S_OK);
    return text.str();
}

TEST(ErrorInfo, TheThreadsSlotHandsItsObjectOverOnce) {
    SetErrorInfo(0, nullptr);
    EXPECT_FALSE(take_error_info(S_FALSE));

    ComPtr<ICreateErrorInfo> created;
    ASSERT_EQ(CreateErrorInfo(created.put()), S_OK);
    created->SetGUID(ITest::iid);
    created->SetDescription(const_cast<LPOLESTR>(u"disk on fire"));
    created->SetHelpContext(42);
    ComPtr<IErrorInfo> info = created.query<IErrorInfo>();
    ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
    EXPECT_EQ(refs(info.get()), 3u);  // created, info and the slot

    // Another thread has its own slot.
    std::thread([] { EXPECT_FALSE(take_error_info(S_FALSE)); }).join();

    ComPtr<IErrorInfo> taken = take_error_info();
    EXPECT_EQ(taken.get(), info.get());
    EXPECT_EQ(refs(info.get()), 3u);  // the slot's reference went with it
    EXPECT_FALSE(take_error_info(S_FALSE));
    GUID guid{};
    DWORD context = 0;
    Bstr source;
    EXPECT_EQ(taken->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, ITest::iid);
    EXPECT_EQ(description_of(taken.get()), u"disk on fire");
    EXPECT_EQ(taken->GetSource(source.put()), S_OK);
    EXPECT_EQ(source.get(), nullptr);  // never set
    EXPECT_EQ(taken->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 42u);

    // Setting replaces (and releases) what the slot held; null empties it.
    ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(refs(info.get()), 3u);
    EXPECT_FALSE(take_error_info(S_FALSE));
    EXPECT_EQ(SetErrorInfo(1, info.get()), E_INVALIDARG);
}

TEST(ErrorInfo, ACallerReadsAFailingMembersTextWhereTheCalleeSupportsIt) {
    ComPtr<ITest> t = make_com<Sample>();
    ComPtr<ISupportErrorInfo> support = t.query<ISupportErrorInfo>();
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ITest::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IOther::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IClassFactory::iid), S_FALSE);
    EXPECT_EQ(support.query<IUnknown>().get(), t.query<IUnknown>().get());  // one identity

    // As any caller of a server does: the HRESULT has the number, the error object the text.
    ASSERT_EQ(t->Fail(57), hresult_from_error_number(57));
    ComPtr<IErrorInfo> info = take_error_info();
    ASSERT_TRUE(info);
    Bstr source;
    info->GetSource(source.put());
    EXPECT_EQ(description_of(info.get()), u"broken");
    EXPECT_EQ(source.view(), u"Sample");

    // check() reads it only where the callee says it leaves it; otherwise the standard text.
    HRESULT hr = t->Fail(57);
    auto unclaimed = error_of([&] { check(hr, t.get(), IClassFactory::iid); });
    ASSERT_TRUE(unclaimed);
    EXPECT_EQ(unclaimed->description, u"Device I/O error");
    auto claimed = error_of([&] { check(hr, t.get()); });
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->number, 57);
    EXPECT_EQ(claimed->description, u"broken");
    EXPECT_FALSE(take_error_info(S_FALSE));  // read once
}

// The names the system's own messages rest on, spelled out once more here.
TEST(RuntimeError, NamesKeepThePlatformsNumbersAndTexts) {
    struct Case {
        RuntimeError error;
        std::int32_t number;
        std::u16string_view text;
    } cases[] = {
        {RuntimeError::FileNotFound, 53, u"File not found"},
        {RuntimeError::PermissionDenied, 70, u"Permission denied"},
        {RuntimeError::PathNotFound, 76, u"Path not found"},
        {RuntimeError::OleLoadFromFile, 31037, u""},  // the container's errors have no standard text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(error_number(c.error), c.number);
        EXPECT_EQ(standard_text(c.error), c.text);
    }
}

// Every number with a standard text: its HRESULT carries it there and back, a check of that HRESULT
// without error info raises it with its text, and so does raising it by name.
TEST(RuntimeError, EveryStandardTextTravelsWithItsNumber) {
    std::set<std::u16string> texts;
    for (std::int32_t number = 1; number < 65536; ++number) {
        const std::u16string text = standard_error_text(number);
        if (text.empty()) continue;
        SCOPED_TRACE(number);
        EXPECT_TRUE(texts.insert(text).second) << "a second number with this text";
        const HRESULT hr = hresult_from_error_number(number);
        EXPECT_EQ(error_number_from_hresult(hr), number);
        SetErrorInfo(0, nullptr);
        for (const auto& raise : {std::function<void()>([&] { check(hr); }),
                                  std::function<void()>([&] { raise_standard_error(RuntimeError(number)); })}) {
            auto raised = error_of(raise);
            ASSERT_TRUE(raised);
            EXPECT_EQ(raised->number, number);
            EXPECT_EQ(raised->description, text);
        }
    }
    EXPECT_TRUE(texts.contains(u"File not found"));
    EXPECT_EQ(standard_error_text(1), u"");  // a number without a name
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
        EXPECT_EQ(e.number, error_number(RuntimeError::InvalidUseOfNull));
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
    auto factory = make_com<ClassFactory<Sample>>();
    ASSERT_EQ(CoRegisterClassObject(kSampleClass, factory.get()), S_OK);
    long before = module_object_count();
    {
        ComPtr<ITest> made = create_instance<ITest>(kSampleClass);
        EXPECT_EQ(module_object_count(), before + 1);
        factory->LockServer(1);
        EXPECT_EQ(module_object_count(), before + 2);
        factory->LockServer(0);
    }
    EXPECT_EQ(module_object_count(), before);
    CoRevokeClassObject(kSampleClass);
    auto error = error_of([] { create_instance<ITest>(kSampleClass); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, error_number(RuntimeError::CannotCreateObject));
}

TEST(ClassFactory, FailsWithWhatWentWrongAndHandsOutNothing) {
    struct Case {
        const char* name;
        ComPtr<IClassFactory> factory;
        REFIID iid;
        HRESULT hr;
    } cases[] = {
        {"the constructor raises", make_com<ClassFactory<Refusing>>(), ITest::iid,
         ComError(RuntimeError::PermissionDenied).hresult()},
        {"memory runs out", make_com<ClassFactory<Starved>>(), ITest::iid, E_OUTOFMEMORY},
        {"the object lacks the interface", make_com<ClassFactory<Sample>>(), IClassFactory::iid, E_NOINTERFACE},
    };
    const long before = module_object_count();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        void* object = &object;  // poisoned
        EXPECT_EQ(c.factory->CreateInstance(nullptr, c.iid, &object), c.hr);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(module_object_count(), before);  // nothing made is left alive
    }

    // The constructor's error reaches whoever creates the class, description and all.
    ASSERT_EQ(CoRegisterClassObject(kSampleClass, cases[0].factory.get()), S_OK);
    auto error = error_of([] { create_instance<ITest>(kSampleClass); });
    CoRevokeClassObject(kSampleClass);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, error_number(RuntimeError::PermissionDenied));
    EXPECT_EQ(error->description, u"refused");
    EXPECT_EQ(error->source, u"Refusing");
}

}  // namespace
