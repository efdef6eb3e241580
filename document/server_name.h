// Server names in paths. A server is matched as a whole name: \\Old names \\OLD\Media\a.doc and
// \\old, but never \\OldServer\Media\a.doc. Both the update run's choice of links and the remapping
// of a link onto the new server use these, so the two cannot disagree.
#pragma once

#include <string>
#include <string_view>

// The server part of a path or a server name, as "\\" and the name: every "\\" in path is dropped,
// then everything from the first remaining backslash. \\srv\share\a.doc and \\srv both give \\srv.
std::u16string ExtractServerName(std::u16string_view path);

// Whether text holds server (as typed, case ignored) followed by a backslash or the end of text.
bool NamesServer(std::u16string_view text, std::u16string_view server);

// text with every occurrence of old_server that NamesServer would count replaced by new_server.
std::u16string ReplaceServerName(std::u16string_view text, std::u16string_view old_server,
                                 std::u16string_view new_server);
