# The packages that scripts/package builds, installed and removed in the
# session's prefix (package_test.py). brivane.cmake, included before this
# fragment, fails the configure when a program that these drivers need is
# missing.
brivane_e2e_test(NAME e2e_package
  COMMAND ${BRIVANE_PYTHON} -B ${CMAKE_CURRENT_LIST_DIR}/package_test.py
          $<TARGET_FILE:brivane> $<TARGET_FILE:desktop_fixture_exe> $<TARGET_FILE:brivane_e2e_probe>
  TIMEOUT 600 COST 32)
# Beyond the standard library, the package test reads the winget manifests
# with Python's yaml module and checks them with jsonschema, and unpacks the
# setup's plugins with 7-Zip (Debian's python3-yaml, python3-jsonschema and
# p7zip-full; see scripts/packages.sh).
find_program(BRIVANE_TOOL_7z 7z)
execute_process(COMMAND ${BRIVANE_PYTHON} -c "import yaml, jsonschema" RESULT_VARIABLE brivane_package_modules
                OUTPUT_QUIET ERROR_QUIET)
if(NOT BRIVANE_TOOL_7z OR NOT brivane_package_modules EQUAL 0)
  message(FATAL_ERROR "e2e_package needs 7z and Python's yaml and jsonschema modules "
                      "(scripts/packages.sh lists the packages)")
endif()
# Two clean builds of brivane.exe in build trees of their own, each packaged:
# the same bytes. Needs no Wine session; its compilers run at a lower CPU
# priority, so that they take only the time the Wine tests leave.
add_test(NAME package_reproducible
  COMMAND nice -n 10 ${BRIVANE_PYTHON} -B ${CMAKE_CURRENT_LIST_DIR}/package_test.py --reproducible)
set_tests_properties(package_reproducible PROPERTIES LABELS package TIMEOUT 600 COST 60)
# The DLL that e2e_package plants beside a portable copy.
add_library(brivane_e2e_planted MODULE planted_dll.cpp)
set_target_properties(brivane_e2e_planted PROPERTIES OUTPUT_NAME planted PREFIX "")
set_property(TEST e2e_package APPEND PROPERTY ENVIRONMENT "BRIVANE_PLANTED_DLL=$<TARGET_FILE:brivane_e2e_planted>")
