brivane_wine_test(NAME trayicon_test
  SOURCES trayicon_test.cpp
  LIBS trayicon toolkit
  RESOURCES)
target_include_directories(trayicon_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
