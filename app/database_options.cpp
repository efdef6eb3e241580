#include "app/database_options.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "app/system_files.h"
#include "com/utf.h"
#include "hostapp/db/odbc_connection_string.h"

void add_database_options(CLI::App& command, DatabaseOptions& options) {
    CLI::App* database = command.add_option_group("database", "The host database: one of");
    database->add_option("--db", options.database, "The host database (SQLite)");
    database->add_option("--connection", options.connection,
                         "A host database on a server: an ODBC connection string, or DSN=name");
    database->add_option("--connection-file", options.connection_file,
                         "A file holding the ODBC connection string (keeps a password off the command line)");
    database->require_option(1);
}

DatabaseLocation database_location(const DatabaseOptions& options) {
    if (!options.database.empty()) return DatabaseLocation::of_file(options.database);
    if (!options.connection.empty()) return DatabaseLocation::on_server(utf16(options.connection));
    const std::string& file = options.connection_file;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw BadDatabaseOption("the connection file " + file + " cannot be read: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    std::string connection = text.str();
    // One line: the end of the line is no part of the connection string.
    while (!connection.empty() && (connection.back() == '\n' || connection.back() == '\r')) connection.pop_back();
    if (connection.empty()) throw BadDatabaseOption("the connection file " + file + " holds no connection string");
    if (connection.find('\n') != std::string::npos)
        throw BadDatabaseOption("the connection file " + file + " holds more than one line; a connection string is one");
    if (redacted_connection_string(utf16(connection)) != utf16(connection) && others_may_read(file))
        std::cerr << "pathmender: the connection file " << file << " holds a password and other users may read it ("
                  << kKeepItYoursHint << ")\n";
    return DatabaseLocation::on_server(utf16(connection));
}

void hide_connection_passwords(int argc, char** argv) {
    constexpr std::string_view kOption = "--connection", kJoined = "--connection=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        char* value = nullptr;
        if (argument == kOption && i + 1 < argc) value = argv[++i];
        else if (argument.starts_with(kJoined)) value = argv[i] + kJoined.size();
        if (!value) continue;
        // The redacted text in the value's place: cut short when a password was shorter than its
        // stand-in, which still shows no part of it.
        const std::string redacted = utf8(redacted_connection_string(utf16(value)));
        const std::size_t room = std::strlen(value), kept = std::min(room, redacted.size());
        std::memcpy(value, redacted.data(), kept);
        std::memset(value + kept, 0, room - kept);
    }
}
