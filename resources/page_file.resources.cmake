# The page file is not compiled in: it is installed into the host's page folder (folder 12),
# <build>/bin (the folder of the host program), where the host's path service finds it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/udPathmender.vbd ${CMAKE_BINARY_DIR}/bin/udPathmender.vbd COPYONLY)
