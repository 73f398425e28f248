# Runs a libFuzzer program for SECONDS over its seed corpus and the inputs kept
# from earlier runs, and keeps what it finds for the next run:
#   cmake -DFUZZER=<program> -DCORPUS=<seed dir> -DKEPT=<dir> -DWORK_DIR=<dir> -DSECONDS=<n>
#         [-DDICT=<dictionary>] -P RunFuzzTarget.cmake
# The seeds stay as they are (in the source tree): libFuzzer writes the inputs
# that reach new code into the first corpus folder it is given, KEPT, which
# lives outside the checkout, so that coverage grows from run to run.
# Crashing inputs are kept in <WORK_DIR>/artifacts; replay one with <program> <file>.
foreach(var FUZZER CORPUS KEPT WORK_DIR SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunFuzzTarget.cmake: -D${var}=... is required")
  endif()
endforeach()

file(MAKE_DIRECTORY ${KEPT} ${WORK_DIR}/artifacts)
set(seeds)
if(IS_DIRECTORY ${CORPUS})
  set(seeds ${CORPUS})
else()
  message(WARNING "no seed corpus at ${CORPUS}: fuzzing from the kept inputs only")
endif()
set(dictionary)
if(DEFINED DICT)
  set(dictionary -dict=${DICT})
endif()
file(GLOB kept_before ${KEPT}/*)
list(LENGTH kept_before kept_before)

execute_process(
  COMMAND ${FUZZER}
    -max_total_time=${SECONDS}
    -timeout=10
    -rss_limit_mb=2048
    -print_final_stats=1
    -artifact_prefix=${WORK_DIR}/artifacts/
    ${dictionary}
    ${KEPT} ${seeds}
  RESULT_VARIABLE result
  ERROR_FILE ${WORK_DIR}/fuzz.log)
file(READ ${WORK_DIR}/fuzz.log log)
if(NOT result EQUAL 0)
  message("${log}")
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input that broke it is in ${WORK_DIR}/artifacts")
endif()
string(REGEX MATCH "stat::number_of_executed_units: *([0-9]+)" executed "${log}")
set(executed ${CMAKE_MATCH_1})
# A run that executed nothing (a program that is no fuzzer, or one that stops
# before its first input) tested nothing.
if(NOT executed GREATER 0)
  message("${log}")
  message(FATAL_ERROR "${FUZZER} ran no input: its log gives no executions")
endif()
file(GLOB kept_after ${KEPT}/*)
list(LENGTH kept_after kept_after)
math(EXPR found "${kept_after} - ${kept_before}")
message(STATUS "${executed} executions in ${SECONDS} s; ${found} new inputs kept, ${kept_after} in all, "
               "in ${KEPT}")
