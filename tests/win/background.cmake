# The desktop background on every monitor (app/DesktopBackground), against
# the stand-in for the shell's desktop-wallpaper object that Wine lacks
# (tests/fixtures/DesktopWallpaperStandIn.cpp), and without it.
brivane_wine_test(NAME background_test
  SOURCES background_test.cpp
  LIBS brivane_app ole32 uuid
  COST 2)
target_include_directories(background_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(background_test desktop_wallpaper_standin)
