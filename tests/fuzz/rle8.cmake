# libFuzzer target for the 8-bit run-length decoder of bitmap resources.
brivane_fuzz_target(
  NAME rle8_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rle8_fuzz.cpp
  LIBS toolkit_core
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/rle8
  SECONDS 5)
