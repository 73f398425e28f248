# TWebLabel: its click target at the shell-call seam, the real shell, and the
# link cursor it installs in and removes from the application's cursor table.
brivane_wine_test(
  NAME weblabel_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/weblabel_test.cpp
  LIBS weblabel toolkit
  RESOURCES)
