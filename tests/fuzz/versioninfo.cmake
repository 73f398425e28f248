# libFuzzer target for the version-block walk, seeded with real blocks; the
# dictionary holds the keys and marks of a version resource.
brivane_fuzz_target(
  NAME versioninfo_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versioninfo_fuzz.cpp
  LIBS versioninfo
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/versioninfo
  DICT ${CMAKE_CURRENT_LIST_DIR}/versioninfo.dict
  SECONDS 20)
