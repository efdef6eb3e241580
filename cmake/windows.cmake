# The Windows build (mingw-w64, see cmake/toolchains/): the module Pathmender.dll and the host
# program pathmender.exe. com/ and platform/ stand for the system's own components there and are
# linked into each as static libraries; no ICU, libgsf or Qt. SQLite is Debian's own source
# (cmake/windows_sqlite.cmake), ODBC the system's odbc32, and the command line CLI11's headers.

# The wide (UTF-16) forms of the system's calls, and no min/max macros in the way of std::min.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)

# The module needs only system DLLs: the compiler's runtime and the thread library go inside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# The module's version information and type library are Windows resources (windres).
enable_language(RC)

# -O2 for a release, as the Linux CI builds (RelWithDebInfo): this compiler's -O3 warns falsely of
# an overflow inside std::vector::insert (-Wstringop-overflow), and warnings are errors in CI.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

# A release carries no debugging information (the static runtime libraries bring theirs).
add_link_options($<$<CONFIG:Release>:-s>)

include(${CMAKE_CURRENT_LIST_DIR}/windows_sqlite.cmake)

# The system's ODBC driver manager, under the name the Linux build finds unixODBC by.
add_library(ODBC::ODBC INTERFACE IMPORTED)
set_target_properties(ODBC::ODBC PROPERTIES INTERFACE_LINK_LIBRARIES odbc32)

# CLI11 is header-only: Debian's headers, reached through a folder of the build tree that holds
# nothing but a link to their CLI/ folder, so that no other header of the build system's own
# /usr/include is ever found by the cross-compiler.
find_path(PM_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT PM_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "No CLI11 headers (CLI/CLI.hpp) in /usr/include: install libcli11-dev")
endif()
set(pm_cli11_root ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${pm_cli11_root})
file(CREATE_LINK ${PM_CLI11_INCLUDE_DIR}/CLI ${pm_cli11_root}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${pm_cli11_root}
                                               INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${pm_cli11_root})
