# libFuzzer target for the command-line parser and the remote command decoder.
brivane_fuzz_target(
  NAME commandline_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/commandline_fuzz.cpp
  LIBS command_line
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/commandline
  SECONDS 10)
