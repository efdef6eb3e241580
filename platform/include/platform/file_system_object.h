// A Scripting FileSystemObject: the stand-in's over the network folder here, the system's own on
// Windows.
#pragma once

#include "platform/file_system.h"

// A new FileSystemObject, handed out with one reference.
HRESULT CreateFileSystemObject(IFileSystem** fso);
