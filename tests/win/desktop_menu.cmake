brivane_wine_test(NAME desktop_menu_test
  SOURCES desktop_menu_test.cpp
  LIBS brivane_app desktop_fixture ole32 uuid
  RESOURCES COST 6)
target_include_directories(desktop_menu_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
