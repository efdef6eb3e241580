# The type library: compiled at build time from the interface definitions into resource TYPELIB 1.
set(PM_TYPE_LIBRARY_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Pathmender.idl
  ${CMAKE_CURRENT_LIST_DIR}/host_shell.idl
  ${CMAKE_CURRENT_LIST_DIR}/host_interfaces.idl
  ${CMAKE_CURRENT_LIST_DIR}/ole_automation.idl)
add_executable(pm_make_type_library ${CMAKE_CURRENT_LIST_DIR}/type_library_compiler.cpp)
target_link_libraries(pm_make_type_library PRIVATE pm_resource_headers)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb
  COMMAND pm_make_type_library ${CMAKE_CURRENT_LIST_DIR}/Pathmender.idl ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb
  DEPENDS pm_make_type_library ${PM_TYPE_LIBRARY_SOURCES}
  VERBATIM)
list(APPEND PM_RESOURCES "TYPELIB|1|${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb")
