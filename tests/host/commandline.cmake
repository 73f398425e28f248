# The command line and the remote command message, natively.
brivane_host_test(
  NAME commandline_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/commandline_test.cpp
  LIBS command_line)
