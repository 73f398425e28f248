brivane_wine_test(NAME colours_test
  SOURCES colours_test.cpp
  LIBS brivane_app desktop_fixture
  RESOURCES COST 4)
target_include_directories(colours_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
