// A Scripting FileSystemObject: the stand-in's over the network folder here, the system's own on
// Windows.
#pragma once

#include "platform/file_system.h"

class ListingWatcher;

// A new FileSystemObject, handed out with one reference. watcher, where given, is told of every
// folder it cannot list for its caller (the stand-in's only: the system's object tells nobody).
HRESULT CreateFileSystemObject(IFileSystem** fso, ListingWatcher* watcher = nullptr);
