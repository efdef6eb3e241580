#include "app/chosen_drive.h"

#include "com/error.h"
#include "com/variant.h"
#include "platform/case_insensitive.h"
#include "platform/wsh_network_object.h"

namespace {

// The workstation's connections as the page gets them: from the platform's network object, whose
// collection holds each connection's local name and remote name one after the other.
std::vector<NetworkConnection> network_drives() {
    ComPtr<IWshNetwork2> network;
    check(CreateWshNetwork(network.put()));
    ComPtr<IWshCollection> drives;
    check(network->EnumNetworkDrives(drives.put()), network.get());
    LONG count = 0;
    check(drives->Count(&count), drives.get());
    std::vector<NetworkConnection> connections;
    for (LONG i = 0; i + 1 < count; i += 2) {
        NetworkConnection connection;
        for (LONG at : {i, i + 1}) {
            Variant index(std::int32_t{at}), value;
            check(drives->Item(index.get(), value.put()), drives.get());
            (at == i ? connection.local_name : connection.remote_name) = value.to_text();
        }
        connections.push_back(std::move(connection));
    }
    return connections;
}

}  // namespace

std::optional<NetworkConnection> chosen_drive(const std::optional<std::u16string>& local_name) {
    std::vector<NetworkConnection> connections;
    try {
        connections = network_drives();
    } catch (const ComError&) {
        return std::nullopt;
    }
    for (NetworkConnection& connection : connections) {
        // A connection without a letter (the page lists none of those) has a blank local name.
        if (connection.local_name.find_first_not_of(u' ') == std::u16string::npos) continue;
        if (!local_name || equal_ignoring_case(connection.local_name, *local_name)) return std::move(connection);
    }
    return std::nullopt;
}
