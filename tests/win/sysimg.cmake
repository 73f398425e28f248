# TSysImageList against the shell's system image list under Wine: binding in
# both sizes, FileIconIndex for special folders, desktop items and unknown
# types, and the temporary file of the type fallback.
brivane_wine_test(
  NAME sysimg_win_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sysimg_test.cpp
  LIBS sysimg comctl32)
