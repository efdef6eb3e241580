// How an update ended, read from the messages the page showed: the exit status scripts rely on.
#pragma once

#include <string>
#include <vector>

struct PageMessage {
    std::u16string text;
    int style;
};

enum class UpdateEnd {
    done,           // 0: "Media links have been updated", "No media links were updated.", or nothing to update
    some_not_found, // 3: the run completed, some selected links were not found
    error,          // 4: an error ended the run or the click
    refused,        // 2: the page refused the input
};

// The end the last message says; a click that ended without any message is an error.
UpdateEnd update_end(const std::vector<PageMessage>& messages);
int exit_status(UpdateEnd end);
// Whether the run went through every table (its summary message).
bool run_completed(const std::vector<PageMessage>& messages);
