# A cross build runs the resource tools on the build machine: they are built there, with its own
# compiler, as a project of their own (host_tools/), and each program's path is set for the
# commands that run it.
include(ExternalProject)
set(PM_HOST_TOOLS_DIR ${CMAKE_CURRENT_BINARY_DIR}/host_tools)
set(PM_MAKE_PAGE_PICTURE ${PM_HOST_TOOLS_DIR}/pm_make_page_picture)
ExternalProject_Add(pm_host_tools
  SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/host_tools
  BINARY_DIR ${PM_HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${PM_MAKE_PAGE_PICTURE}
  INSTALL_COMMAND "")
