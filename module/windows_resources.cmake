# The DLL's own resources on Windows: the version information, from resources/version_info.txt
# (one "Name=value" a line), and the type library, compiled from its interface definition by widl.
# Sets PM_WINDOWS_RESOURCES to the generated .rc file.
set(version_file ${PROJECT_SOURCE_DIR}/resources/version_info.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${version_file})
file(STRINGS ${version_file} version_lines REGEX "^[A-Za-z]+=")
set(PM_VERSION_STRINGS "")
set(file_version "")
foreach(line IN LISTS version_lines)
  string(FIND "${line}" "=" at)
  string(SUBSTRING "${line}" 0 ${at} name)
  math(EXPR value_at "${at} + 1")
  string(SUBSTRING "${line}" ${value_at} -1 value)
  string(APPEND PM_VERSION_STRINGS "      VALUE \"${name}\", \"${value}\"\n")
  if(name STREQUAL "FileVersion")
    set(file_version "${value}")
  endif()
endforeach()
# "1.00" is version 1.0: the numeric form has four parts.
if(NOT file_version MATCHES "^([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "${version_file}: FileVersion must read <major>.<minor>, not '${file_version}'")
endif()
math(EXPR minor "${CMAKE_MATCH_2}")
set(PM_VERSION_NUMBERS "${CMAKE_MATCH_1},${minor},0,0")

# The type library, resource TYPELIB 1, compiled by widl from the one interface definition (which
# the Linux build reads too). widl for the target's architecture writes the target's layout.
include(${PROJECT_SOURCE_DIR}/cmake/widl.cmake)
if(NOT PM_WIDL OR NOT PM_STDOLE2_DIR)
  message(FATAL_ERROR "The type library needs widl (mingw-w64-tools) and Wine's stdole2.tlb (libwine)")
endif()
set(idl_dir ${PROJECT_SOURCE_DIR}/resources)
set(tlb_file ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb)
add_custom_command(
  OUTPUT ${tlb_file}
  COMMAND ${PM_WIDL} -I ${idl_dir} -L ${PM_STDOLE2_DIR} -t -o ${tlb_file} ${idl_dir}/Pathmender.idl
  DEPENDS ${idl_dir}/Pathmender.idl ${idl_dir}/host_shell.idl ${idl_dir}/host_interfaces.idl
          ${idl_dir}/ole_automation.idl
  VERBATIM)
set(PM_TYPELIB_RESOURCE "1 TYPELIB \"${tlb_file}\"")

set(PM_WINDOWS_RESOURCES ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.rc)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/Pathmender.rc.in ${PM_WINDOWS_RESOURCES} @ONLY)
set_source_files_properties(${PM_WINDOWS_RESOURCES} PROPERTIES OBJECT_DEPENDS ${tlb_file})
