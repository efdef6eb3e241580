// The Scripting FileSystemObject of the stand-in network.
#pragma once

#include "platform/file_system.h"

// A new FileSystemObject over the network folder, handed out with one reference.
HRESULT CreateFileSystemObject(IFileSystem** fso);
