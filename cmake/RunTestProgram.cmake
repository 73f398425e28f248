cmake_minimum_required(VERSION 3.25)
# Runs a GoogleTest program as one test and fails unless it ran cases and all
# of them passed. A program that crashes (before main, while starting, or in a
# case), that has no cases, or that skips one fails here, instead of leaving
# its cases out.
#   cmake -DPROGRAM=<program> [-DEMULATOR=<runner;args>] -DREPORT=<file.xml> [-DCASES=<file>]
#         -P RunTestProgram.cmake
# CASES receives the line "<passed> <failed> <skipped>": the cases of this run,
# which scripts/test adds up. The program's output goes straight through, so a
# run that times out still shows how far it got. GTEST_FILTER and the other
# GTEST_* variables work.
foreach(var PROGRAM REPORT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunTestProgram.cmake: -D${var}=... is required")
  endif()
endforeach()

# The report is written relative to the working directory: a Windows program
# under Wine reads a Unix path as a path on its current drive.
file(REMOVE ${REPORT})
if(CASES)
  file(REMOVE ${CASES})
endif()
execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} --gtest_output=xml:${REPORT}
  RESULT_VARIABLE result)
get_filename_component(name ${PROGRAM} NAME)
if(NOT EXISTS ${REPORT} AND NOT result STREQUAL "0")
  message(FATAL_ERROR "${name} failed: exit status ${result}")
elseif(NOT EXISTS ${REPORT})
  message(FATAL_ERROR "${name} ended without writing its report ${REPORT}")
endif()
file(READ ${REPORT} report)
# A case that passed is <testcase .../>; one that failed holds <failure>.
string(REGEX MATCHALL "<testcase [^>]*result=\"completed\"" ran "${report}")
string(REGEX MATCHALL "<testcase [^>]*result=\"skipped\"" skipped "${report}")
string(REGEX MATCHALL "<testcase [^>]*[^/]>[ \t\r\n]*<failure" failed "${report}")
list(LENGTH ran ran)
list(LENGTH skipped skipped)
list(LENGTH failed failed)
math(EXPR passed "${ran} - ${failed}")
if(CASES)
  file(WRITE ${CASES} "${passed} ${failed} ${skipped}\n")
endif()
message(STATUS "${name}: ${passed} test cases passed, ${failed} failed, ${skipped} skipped")
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "${name} failed: exit status ${result}")
endif()
if(skipped GREATER 0)
  message(FATAL_ERROR "${name} skipped ${skipped} test case(s): a case that cannot run here must fail")
endif()
if(ran EQUAL 0)
  message(FATAL_ERROR "${name} ran no test case")
endif()
if(failed GREATER 0)
  message(FATAL_ERROR "${name} reported a failure but exited with status 0")
endif()
