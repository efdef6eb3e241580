# The type library: compiled at build time from its source description into resource TYPELIB 1.
add_executable(pm_make_type_library ${CMAKE_CURRENT_LIST_DIR}/type_library_compiler.cpp)
target_link_libraries(pm_make_type_library PRIVATE pm_resource_headers)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb
  COMMAND pm_make_type_library ${CMAKE_CURRENT_LIST_DIR}/type_library.odl ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb
  DEPENDS pm_make_type_library ${CMAKE_CURRENT_LIST_DIR}/type_library.odl
  VERBATIM)
list(APPEND PM_RESOURCES "TYPELIB|1|${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb")
