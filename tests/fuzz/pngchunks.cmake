# libFuzzer target for the chunk walk that checks picture resources, seeded
# with the About picture.
brivane_fuzz_target(
  NAME pngchunks_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pngchunks_fuzz.cpp
  LIBS toolkit_core
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/pngchunks
  SECONDS 5)
