# A room is one folder of the source tree and one target. Its headers are included as
# "<room>/<header>.h", and a target may include a room's headers only when it links the room's
# target: each room is reached through a folder of the build tree that holds that room alone, and
# that folder is on a target's include path only through the link. So an include of a room that a
# target may not use fails the build.
function(pm_room target room)
  string(REPLACE "/" "_" key "${room}")
  set(root "${CMAKE_BINARY_DIR}/rooms/${key}")
  get_filename_component(parent "${root}/${room}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${room}" "${root}/${room}" SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  elseif(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()

# The product's rooms are compiled into the module, whose symbols stay inside it: only its
# exports are visible.
function(pm_module_room target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
