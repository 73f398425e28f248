cmake_minimum_required(VERSION 3.25)
# Runs a GoogleTest program as one test and fails unless it ran cases and all
# of them passed. A program that crashes (before main, while starting, or in a
# case) or that has no cases fails here, instead of leaving its cases out.
#   cmake -DPROGRAM=<program> [-DEMULATOR=<runner;args>] -DREPORT=<file.xml> -P RunTestProgram.cmake
# The program's output goes straight through, so a run that times out still
# shows how far it got. GTEST_FILTER and the other GTEST_* variables work.
foreach(var PROGRAM REPORT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunTestProgram.cmake: -D${var}=... is required")
  endif()
endforeach()

# The report is written relative to the working directory: a Windows program
# under Wine reads a Unix path as a path on its current drive.
file(REMOVE ${REPORT})
execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} --gtest_output=xml:${REPORT}
  RESULT_VARIABLE result)
get_filename_component(name ${PROGRAM} NAME)
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "${name} failed: exit status ${result}")
endif()
if(NOT EXISTS ${REPORT})
  message(FATAL_ERROR "${name} ended without writing its report ${REPORT}")
endif()
file(READ ${REPORT} report)
string(REGEX MATCHALL "<testcase [^>]*result=\"completed\"" ran "${report}")
list(LENGTH ran count)
if(count EQUAL 0)
  message(FATAL_ERROR "${name} ran no test case")
endif()
if(report MATCHES "<failure ")
  message(FATAL_ERROR "${name} reported a failure but exited with status 0")
endif()
message(STATUS "${name}: ${count} test cases ran")
