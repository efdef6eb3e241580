#include <gtest/gtest.h>

#include "com/object.h"
#include "com/safearray.h"

namespace {

struct Counted final : ComObject<Counted, IDispatch> {};

ULONG refs(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(SafeArray, AVectorOfVariantsKeepsCopiesAndFreesThem) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 5, 3);
    ASSERT_TRUE(array);
    VARTYPE vt = VT_EMPTY;
    LONG lower = 0, upper = 0;
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_VARIANT);
    EXPECT_EQ(array->cbElements, sizeof(VARIANT));
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(upper, 7);
    EXPECT_EQ(SafeArrayGetUBound(array, 2, &upper), DISP_E_BADINDEX);

    ComPtr<IDispatch> object = make_com<Counted>();
    Variant values[] = {Variant(std::u16string_view(u"text")), Variant(std::int32_t(-7)), Variant(object.get())};
    for (LONG i = 0; i < 3; ++i) {
        LONG at = 5 + i;
        ASSERT_EQ(SafeArrayPutElement(array, &at, values[i].get()), S_OK);
    }
    values[0] = Variant(std::u16string_view(u"changed"));  // the array holds its own copy
    EXPECT_EQ(refs(object.get()), 3u);
    LONG outside[] = {4, 8};
    for (LONG& at : outside) {
        Variant out;
        EXPECT_EQ(SafeArrayGetElement(array, &at, out.put()), DISP_E_BADINDEX);
        EXPECT_EQ(SafeArrayPutElement(array, &at, out.get()), DISP_E_BADINDEX);
    }

    LONG at = 5;
    Variant first;
    ASSERT_EQ(SafeArrayGetElement(array, &at, first.put()), S_OK);
    EXPECT_EQ(first.to_text(), u"text");
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(static_cast<VARIANT*>(data)[1].lVal, -7);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);

    ASSERT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(refs(object.get()), 2u);  // the array's reference went with it
}

TEST(SafeArray, AVectorOfStringsTakesTheStringItselfAndHandsOutACopy) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
    ASSERT_TRUE(array);
    LONG at = 0;
    Bstr text(u"ab");
    ASSERT_EQ(SafeArrayPutElement(array, &at, text.get()), S_OK);
    Bstr copy;
    ASSERT_EQ(SafeArrayGetElement(array, &at, copy.put()), S_OK);
    EXPECT_EQ(copy.view(), u"ab");
    EXPECT_NE(copy.get(), text.get());
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(SafeArrayCreateVector(VARTYPE(4711), 0, 1), nullptr);  // no such element type
}

}  // namespace
