# End-to-end tests of brivane.exe beside the desktop fixture, driven from
# outside: Python drivers (standard library only; package.cmake says what its
# driver needs besides) press keys and click through
# the X server with xdotool, and look at the session through probe.exe, a
# small Win32 program of their own that runs in the same Wine session.
add_executable(brivane_e2e_probe probe.cpp)
set_target_properties(brivane_e2e_probe PROPERTIES OUTPUT_NAME probe)
target_link_libraries(brivane_e2e_probe PRIVATE psapi shell32 user32 advapi32 comctl32)
if(MINGW)
  target_link_options(brivane_e2e_probe PRIVATE -municode)
endif()

# One test per group; each driver runs its unittest cases one after another.
# After each group, about the seconds it takes.
foreach(group_cost startup:12 toggle:11 lifecycle:7 desktop:21 sequence:180 settings:60)
  string(REPLACE ":" ";" group_cost ${group_cost})
  list(GET group_cost 0 group)
  list(GET group_cost 1 cost)
  brivane_e2e_test(NAME e2e_${group}
    COMMAND ${BRIVANE_PYTHON} -B ${CMAKE_CURRENT_LIST_DIR}/${group}_test.py
            $<TARGET_FILE:brivane> $<TARGET_FILE:desktop_fixture_exe> $<TARGET_FILE:brivane_e2e_probe>
    TIMEOUT 300 COST ${cost})
endforeach()
