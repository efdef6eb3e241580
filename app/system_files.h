// What the system says of the files and folders the program writes beside a run, and how it makes
// them: POSIX system_files_posix.cpp, Windows system_files_windows.cpp.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// Why this process may not read and write file, or nothing when it may.
std::optional<std::string> file_not_writable(const std::filesystem::path& file);
// Why this process may not make files in folder, or nothing when it may.
std::optional<std::string> folder_not_writable(const std::filesystem::path& folder);
// Whether the file system that holds folder has no room left for this process's files.
bool no_space_left(const std::filesystem::path& folder);
// Whether anyone but the file's owner (and the system's own administrators) may read it; false
// when the system cannot say.
bool others_may_read(const std::filesystem::path& file);
// How a user makes such a file their own alone.
extern const char kKeepItYoursHint[];
// Makes folder (its parent must be there), the user's alone; one that is there already is left as
// it is. The system's reason when it cannot be made.
std::optional<std::string> make_private_folder_entry(const std::filesystem::path& folder);
// The user's folder for what programs keep between runs (this program's own in it).
std::filesystem::path user_state_folder();
// How the help names the user's state folder.
extern const char kStateFolderText[];
// A new file for writing, made exclusively under name with its last six characters ("XXXXXX")
// replaced so that no file has that name yet, with the permissions the user's new files get.
// Null when it cannot be made, with the system's reason in why.
std::FILE* create_unique_file(std::string& name, std::string& why);
// Flushes out and has the system put what it holds on disk.
bool sync_file(std::FILE* out);
