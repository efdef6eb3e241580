# The version information, resource VERSION 1 (format: see version_info.txt).
list(APPEND PM_RESOURCES "VERSION|1|${CMAKE_CURRENT_LIST_DIR}/version_info.txt")
