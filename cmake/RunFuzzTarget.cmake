# Runs a libFuzzer program for SECONDS over a copy of its seed corpus, so that
# the inputs it finds never land in the source tree.
#   cmake -DFUZZER=<program> -DCORPUS=<seed dir> -DWORK_DIR=<dir> -DSECONDS=<n> -P RunFuzzTarget.cmake
# Crashing inputs are kept in <WORK_DIR>/artifacts; replay one with <program> <file>.
foreach(var FUZZER CORPUS WORK_DIR SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunFuzzTarget.cmake: -D${var}=... is required")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR}/corpus)
file(MAKE_DIRECTORY ${WORK_DIR}/corpus ${WORK_DIR}/artifacts)
if(IS_DIRECTORY ${CORPUS})
  file(COPY ${CORPUS}/ DESTINATION ${WORK_DIR}/corpus)
else()
  message(WARNING "no seed corpus at ${CORPUS}: fuzzing from nothing")
endif()

execute_process(
  COMMAND ${FUZZER}
    -max_total_time=${SECONDS}
    -timeout=10
    -rss_limit_mb=2048
    -print_final_stats=1
    -artifact_prefix=${WORK_DIR}/artifacts/
    ${WORK_DIR}/corpus
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input that broke it is in ${WORK_DIR}/artifacts")
endif()
