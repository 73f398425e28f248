# The tray icon's and the menu images' size at 96, 120, 144 and 192 DPI, each
# measured in a child run of the same program started at that DPI.
brivane_wine_test(
  NAME dpi_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dpi_test.cpp
  LIBS brivane_app
  RESOURCES
  TIMEOUT 240)
target_include_directories(dpi_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
