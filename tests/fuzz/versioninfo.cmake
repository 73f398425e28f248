# libFuzzer target for the version-block walk, seeded with real blocks.
brivane_fuzz_target(
  NAME versioninfo_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versioninfo_fuzz.cpp
  LIBS versioninfo
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/versioninfo
  SECONDS 20)
