# Copies the files git knows or would take (not ignored) of SOURCE_DIR to WORK_DIR/src, edits one of them
# (FILE: removed when MATCH is empty, else MATCH replaced by REPLACE), then
# configures the copy like PRESET does and expects that to fail with EXPECT
# (a regular expression) in its output.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
set(copy ${WORK_DIR}/src)
execute_process(
  COMMAND ${GIT} -c core.quotepath=off ls-files --cached --others --exclude-standard
  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE files RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "git ls-files failed in ${SOURCE_DIR}")
endif()
string(REPLACE "\n" ";" files "${files}")
foreach(path IN LISTS files)
  if(path AND EXISTS ${SOURCE_DIR}/${path})
    get_filename_component(dir ${path} DIRECTORY)
    file(COPY ${SOURCE_DIR}/${path} DESTINATION ${copy}/${dir})
  endif()
endforeach()

if(NOT EXISTS ${copy}/${FILE})
  message(FATAL_ERROR "the copy has no ${FILE} to edit")
endif()
if(MATCH STREQUAL "")
  file(REMOVE ${copy}/${FILE})
else()
  file(READ ${copy}/${FILE} text)
  string(REGEX REPLACE "${MATCH}" "${REPLACE}" edited "${text}")
  if(edited STREQUAL text)
    message(FATAL_ERROR "\"${MATCH}\" is not in ${FILE}: this check no longer edits anything")
  endif()
  file(WRITE ${copy}/${FILE} "${edited}")
endif()

# The presets' own settings, without the options that only slow the check.
if(PRESET STREQUAL "windows")
  set(settings -DCMAKE_TOOLCHAIN_FILE=${copy}/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release)
else()
  set(settings -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo)
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -G Ninja -S ${copy} -B ${WORK_DIR}/build ${settings}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
if(result EQUAL 0)
  message(FATAL_ERROR "configuring with ${FILE} edited succeeded; it must fail with \"${EXPECT}\"\n${out}${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "configuring with ${FILE} edited failed, but not with \"${EXPECT}\":\n${out}${err}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "configure failed as it must: ${EXPECT}")
