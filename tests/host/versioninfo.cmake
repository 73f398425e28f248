# The version-block walk and TFileVersionInfo on blocks built byte by byte,
# and on the real blocks kept as fuzzing seeds.
brivane_host_test(
  NAME versioninfo_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versioninfo_test.cpp
  LIBS versioninfo)
