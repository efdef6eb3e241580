#include "app/chosen_drive.h"

#include "com/error.h"
#include "platform/case_insensitive.h"

std::optional<NetworkConnection> chosen_drive(const std::optional<std::u16string>& local_name) {
    std::vector<NetworkConnection> connections;
    try {
        connections = read_network_connections();
    } catch (const ComError&) {
        return std::nullopt;
    }
    for (NetworkConnection& connection : connections) {
        if (connection.local_name.empty()) continue;
        if (!local_name || equal_ignoring_case(connection.local_name, *local_name)) return std::move(connection);
    }
    return std::nullopt;
}
