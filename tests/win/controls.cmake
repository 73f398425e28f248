# The About window's controls: label, panel, picture, speed button, list box.
brivane_wine_test(
  NAME controls_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp
  LIBS toolkit
  RESOURCES)
