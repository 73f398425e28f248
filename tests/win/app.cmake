brivane_wine_test(NAME app_test
  SOURCES app_test.cpp
  LIBS brivane_app desktop_fixture
  RESOURCES COST 7)
target_include_directories(app_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
