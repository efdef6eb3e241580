// Write-backs committed in groups instead of one by one, when the program asks for it: one synced
// commit (two with an undo journal) for a group of records rather than for each. A group is
// committed once it holds most_records write-backs or its first is longest old (looked at on each
// write-back and each step of a walk), when a write-back fails (its group's earlier write-backs
// commit), and when the program calls make_durable: it does so before the page's closing message is
// seen, so that every write-back a message counts is durable. A kill loses at most the open group,
// whose records keep their bytes from before.
#pragma once

#include <chrono>
#include <cstddef>
#include <set>

class HostDatabase;

class WriteBackGrouping {
public:
    std::size_t most_records = 256;
    std::chrono::milliseconds longest{100};

    // Commits the open group of every database that groups through this. Raises the host's
    // database error when a group could not be committed (its write-backs were not written).
    void make_durable();

    // For the host databases that group through this.
    void attach(HostDatabase* database) { databases_.insert(database); }
    void detach(HostDatabase* database) { databases_.erase(database); }

private:
    std::set<HostDatabase*> databases_;
};
