// Puts records of a host database on a server back as a journaled write-back found them: each in
// a transaction of its own, and only while the record still holds what the write-back wrote. The
// update that puts it back is itself conditional on the bytes just read, so a change another user
// makes between the read and the update is never overwritten.
#pragma once

#include <memory>
#include <string_view>

class RecordRestorer;

std::unique_ptr<RecordRestorer> open_server_record_restorer(std::u16string_view connection_string);
