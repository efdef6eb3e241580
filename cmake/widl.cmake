# widl (Debian's mingw-w64-tools) and the standard OLE type library it resolves importlib("stdole2.tlb")
# against (Wine's, from libwine): PM_WIDL and PM_STDOLE2_DIR, empty when absent.
find_program(PM_WIDL NAMES x86_64-w64-mingw32-widl i686-w64-mingw32-widl widl)
find_path(PM_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/aarch64-linux-gnu/wine/aarch64-windows
        /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/x86_64-windows /usr/lib/wine/i386-windows
  # A tool of the build machine, also when cross-compiling.
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
