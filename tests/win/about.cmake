# The About window end to end: the main window made in-process, its controls
# as stored, the version lines, showing and hiding, the web link, and
# screenshots at 96 and 144 DPI (made by child runs of the same program).
brivane_wine_test(
  NAME about_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/about_test.cpp
  LIBS brivane_app
  RESOURCES
  TIMEOUT 400 COST 4)
target_include_directories(about_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
