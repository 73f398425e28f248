# TFileVersionInfo under Wine, reading real files through the version
# service. The test program carries a version resource of its own
# (versioninfo_test.rc), so it does not take the program's resources.
brivane_wine_test(
  NAME versioninfo_win_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versioninfo_test.cpp ${CMAKE_CURRENT_LIST_DIR}/versioninfo_test.rc
  LIBS versioninfo)
