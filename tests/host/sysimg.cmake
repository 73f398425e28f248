# The system image list's name rules: special-folder display names with ASCII
# case folding, and the extension of a name.
brivane_host_test(
  NAME sysimg_names_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sysimg_names_test.cpp
  LIBS sysimg_names)
