#include "hostapp/db/write_back_values.h"

#include "com/error.h"
#include "hostapp/db/database_error.h"
#include "platform/ole/ansi_codepage.h"

const VARIANT& dereferenced(const VARIANT& v, VARIANT& scratch) {
    if (v.vt == (VT_I4 | VT_BYREF)) {
        if (!v.plVal) raise_error(E_POINTER, u"The value refers to nothing.");
        scratch.vt = VT_I4;
        scratch.lVal = *v.plVal;
        return scratch;
    }
    return v;
}

std::vector<std::uint8_t> stored_text_bytes(std::u16string_view text) {
    bool fits = true;
    std::vector<std::uint8_t> bytes = pathmender::ole::ansi_encode(text, &fits);
    if (!fits) raise_database_error(u"The value holds characters that the ANSI code page cannot store.");
    return bytes;
}

std::u16string key_text(const VARIANT& key) {
    try {
        VARIANT scratch;
        Variant copy;
        // The platform's VariantCopy takes its source as non-const; it does not change it.
        check(VariantCopy(copy.get(), const_cast<VARIANT*>(&dereferenced(key, scratch))));
        return copy.to_text();
    } catch (const ComError&) {
        return u"?";
    }
}

void check_column_name(std::u16string_view name) {
    if (name.empty()) raise_database_error(u"A column name is missing.");
    for (char16_t c : name)
        if (c < 0x20) raise_database_error(u"The column name \"" + std::u16string(name) + u"\" is not valid.");
}
