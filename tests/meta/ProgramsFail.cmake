# Builds the throwaway project in SOURCE_DIR (three broken test programs added
# with brivane_host_test) and expects ctest to fail each for its reason.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -G Ninja -S ${SOURCE_DIR} -B ${WORK_DIR} -DCMAKE_CXX_COMPILER=${CXX}
          -DBRIVANE_CMAKE_DIR=${BRIVANE_CMAKE_DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the throwaway project did not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the throwaway project did not build")
endif()
execute_process(
  COMMAND ${CMAKE_CTEST_COMMAND} --output-on-failure
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
message("${out}${err}")
if(result EQUAL 0)
  message(FATAL_ERROR "ctest passed with test programs that crash or run nothing")
endif()
foreach(expect "0% tests passed, 3 tests failed out of 3"
               "aborts_while_starting failed: exit status"
               "lists_no_case ran no test case"
               "skips_its_case skipped 1 test case")
  if(NOT "${out}${err}" MATCHES "${expect}")
    message(FATAL_ERROR "ctest's output lacks \"${expect}\"")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
