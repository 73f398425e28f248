# brivane.exe's command line against a running copy (commands_test.py).
brivane_e2e_test(NAME e2e_commands
  COMMAND ${BRIVANE_PYTHON} -B ${CMAKE_CURRENT_LIST_DIR}/commands_test.py
          $<TARGET_FILE:brivane> $<TARGET_FILE:desktop_fixture_exe> $<TARGET_FILE:brivane_e2e_probe>
  TIMEOUT 300 COST 30)
