// The undo journal's file as the system sees it: made private to its user, never through a link,
// and held for a run by a lock that the system lets go of however the program ends. POSIX:
// journal_hold_posix.cpp (flock); Windows: journal_hold_windows.cpp (LockFileEx).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Makes file, empty, with no more permission than like_file has (none given: its user's alone);
// never through a link, and a file that is there already (or appeared meanwhile) is not taken.
// The system's reason when it cannot be made.
std::optional<std::string> make_private_file(const std::filesystem::path& file,
                                             const std::filesystem::path& like_file);

// A handle of the journal's file of its own, through which the hold is taken. Opened before
// SQLite's connection and closed after it.
class JournalHoldFile {
public:
    JournalHoldFile() = default;
    JournalHoldFile(const JournalHoldFile&) = delete;
    JournalHoldFile& operator=(const JournalHoldFile&) = delete;
    ~JournalHoldFile();

    // Opens file for reading; the system's reason when it cannot.
    std::optional<std::string> open(const std::filesystem::path& file);
    bool is_open() const { return handle_ != kNone; }

    enum class Take { taken, held_elsewhere };
    // Takes the hold at once, or finds another handle holding it; another program's look at the
    // hold (held_elsewhere, a moment long) is waited out for a short while. Raises
    // std::runtime_error with the system's reason when the lock cannot be asked for.
    Take take();
    // Whether some handle (this process's other ones included) holds the file now; false when not
    // open.
    bool held_elsewhere() const;

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // a descriptor, or a HANDLE
};

// This program's process id, as the journal records its holder.
std::int64_t current_process_id();

// The time now, as the journal keeps it: local time with its offset, "2024-05-01T14:03:22+0200".
std::string journal_time_now();
