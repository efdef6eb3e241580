// The values a write-back hands the host, as every database backend takes them: a key or value
// passed by reference read through, a text turned into the bytes it is stored as, and a key as a
// message names it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"

// v itself, or for an integer passed by reference the integer it refers to (copied into scratch).
const VARIANT& dereferenced(const VARIANT& v, VARIANT& scratch);

// A text as the host stores it: its bytes in the ANSI code page. A character the code page cannot
// hold raises the host's database error rather than being stored as '?'.
std::vector<std::uint8_t> stored_text_bytes(std::u16string_view text);

// A record's key as the host names it in a message: the value's text, "?" for none it can give.
std::u16string key_text(const VARIANT& key);

// The host's check of a column name before it goes into a statement: one is given, without
// control characters.
void check_column_name(std::u16string_view name);
