// The mapped drive an update run searches, as the host sees it: of the workstation's connections
// with a drive letter (the ones the page lists), the one whose local name was asked for, or the first.
#pragma once

#include <optional>
#include <string>

#include "platform/network.h"

// Nothing when no connection has that name, or none has a drive letter.
std::optional<NetworkConnection> chosen_drive(const std::optional<std::u16string>& local_name);
