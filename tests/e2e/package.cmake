# The packages that scripts/package builds, installed and removed in the
# session's prefix (package_test.py). brivane.cmake, included before this
# fragment, fails the configure when a program that these drivers need is
# missing.
brivane_e2e_test(NAME e2e_package
  COMMAND ${BRIVANE_PYTHON} -B ${CMAKE_CURRENT_LIST_DIR}/package_test.py
          $<TARGET_FILE:brivane> $<TARGET_FILE:desktop_fixture_exe> $<TARGET_FILE:brivane_e2e_probe>
  TIMEOUT 400 COST 6)
