# Cross-compiling the module for Windows with mingw-w64 (Debian's mingw-w64 packages). The
# architecture's toolchain file sets CMAKE_SYSTEM_PROCESSOR and includes this one.
set(CMAKE_SYSTEM_NAME Windows)

set(PM_MINGW_TRIPLET ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The posix thread model, so that std::thread and std::mutex work (winpthread, linked statically).
set(CMAKE_C_COMPILER ${PM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PM_MINGW_TRIPLET}-windres)
set(PM_WIDL ${PM_MINGW_TRIPLET}-widl CACHE FILEPATH "The IDL compiler that makes the type library")

set(CMAKE_FIND_ROOT_PATH /usr/${PM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
