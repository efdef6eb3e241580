# The Windows build (mingw-w64, see cmake/toolchains/): the module Pathmender.dll alone. com/ and
# platform/ stand for the system's own components there and are linked into the module as static
# libraries; no ICU, libgsf or Qt. SQLite, for the host built there, is Debian's own source
# (cmake/windows_sqlite.cmake).

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
