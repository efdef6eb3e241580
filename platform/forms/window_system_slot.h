// Where the process's installed window system is kept. Here the platform is one shared library,
// and the slot is its variable (window_system_slot_posix.cpp). On Windows the program and the
// module each link a copy of the platform, as each links the system's libraries, while the window
// system stays one for the process, as the system's is: the slot is memory of the process that
// every copy finds by name (window_system_slot_windows.cpp). Both copies come from the same build
// of the same sources, so a window system installed by one is the same type to the other.
#pragma once

namespace forms {

class WindowSystem;

// Null until a window system is installed.
WindowSystem*& window_system_slot();

}  // namespace forms
