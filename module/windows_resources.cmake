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

# The type library, resource TYPELIB 1, compiled from the one interface definition.
set(idl_file ${PROJECT_SOURCE_DIR}/resources/Pathmender.idl)
if(EXISTS ${idl_file})
  set(tlb_file ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.tlb)
  add_custom_command(
    OUTPUT ${tlb_file}
    COMMAND ${PM_WIDL} -t -o ${tlb_file} ${idl_file}
    DEPENDS ${idl_file}
    VERBATIM)
  set(PM_TYPELIB_RESOURCE "1 TYPELIB \"${tlb_file}\"")
else()
  set(tlb_file "")
  set(PM_TYPELIB_RESOURCE "// No type library yet: resources/Pathmender.idl is not there.")
endif()

set(PM_WINDOWS_RESOURCES ${CMAKE_CURRENT_BINARY_DIR}/Pathmender.rc)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/Pathmender.rc.in ${PM_WINDOWS_RESOURCES} @ONLY)
if(tlb_file)
  set_source_files_properties(${PM_WINDOWS_RESOURCES} PROPERTIES OBJECT_DEPENDS ${tlb_file})
endif()
