# The hyperlink label's address rule, natively.
brivane_host_test(
  NAME weblabel_rules_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/weblabel_rules_test.cpp
  LIBS weblabel_rules)
