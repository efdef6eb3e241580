// UTF-8 <-> UTF-16 for the edges of the system (files, terminals, the command line).
#pragma once

#include <string>
#include <string_view>

std::u16string utf16(std::string_view utf8);
std::string utf8(std::u16string_view utf16);
