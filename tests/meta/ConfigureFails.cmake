# Copies the files git knows or would take (not ignored) of SOURCE_DIR to
# WORK_DIR/src and configures the copy like PRESET (host or windows) does: the
# untouched copy must configure, and each edit below must make configure fail
# with its message. The edits are made one at a time on the same build tree,
# so the compilers are probed once.
#   cmake -DSOURCE_DIR=<repository> -DWORK_DIR=<dir> -DPRESET=host|windows -DGIT=<git> -P ConfigureFails.cmake
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

# The presets' own settings, without the options that only slow the check.
if(PRESET STREQUAL "windows")
  set(settings -DCMAKE_TOOLCHAIN_FILE=${copy}/cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release)
else()
  set(settings -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo)
endif()

function(configure_copy result_var output_var)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -G Ninja -S ${copy} -B ${WORK_DIR}/build ${settings}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${out}${err}" PARENT_SCOPE)
endfunction()

configure_copy(result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the untouched copy does not configure:\n${output}")
endif()

# Edits FILE of the copy (removes it when MATCH is empty, else replaces the
# regular expression MATCH by REPLACE), expects configure to fail with EXPECT,
# then puts the file back.
function(expect_failure file match replace expect)
  file(READ ${copy}/${file} original)
  if(match STREQUAL "")
    file(REMOVE ${copy}/${file})
  else()
    string(REGEX REPLACE "${match}" "${replace}" edited "${original}")
    if(edited STREQUAL original)
      message(FATAL_ERROR "\"${match}\" is not in ${file}: this check no longer edits anything")
    endif()
    file(WRITE ${copy}/${file} "${edited}")
  endif()
  configure_copy(result output)
  file(WRITE ${copy}/${file} "${original}")
  if(result EQUAL 0)
    message(FATAL_ERROR "configuring with ${file} edited succeeded; it must fail with \"${expect}\"\n${output}")
  endif()
  if(NOT output MATCHES "${expect}")
    message(FATAL_ERROR "configuring with ${file} edited failed, but not with \"${expect}\":\n${output}")
  endif()
  message(STATUS "${file} edited: configure failed with \"${expect}\", as it must")
endfunction()

if(PRESET STREQUAL "windows")
  # The program's body and the program itself renamed: their tests must not
  # quietly disappear.
  expect_failure(app/CMakeLists.txt "brivane_app" "brivane_body"
    "links \"brivane_app\", which is neither a target")
  expect_failure(app/CMakeLists.txt "\\(brivane([ )])" "(brivane_main\\1"
    "need the target brivane, which this build does not define")
  # A Windows test source gone, a fragment gone, a name dropped from a fragment's list.
  expect_failure(tests/win/smoke_test.cpp "" "" "Cannot find source file")
  expect_failure(tests/win/smoke.cmake "" "" "no fragment defines smoke_test")
  expect_failure(tests/e2e/brivane.cmake " toggle:11" "" "no fragment defines e2e_toggle")
else()
  # A test source gone, a fragment gone, and a library that a test program links renamed.
  expect_failure(tests/host/sysimg_names_test.cpp "" "" "Cannot find source file")
  expect_failure(tests/host/core.cmake "" "" "no fragment defines core_host_test")
  expect_failure(components/TrayIcon/CMakeLists.txt "add_library\\(traymessage " "add_library(tray_message "
    "links \"traymessage\", which is neither a target")
  # A component folder gone.
  expect_failure(components/WebLabel/CMakeLists.txt "" "" "does not contain a CMakeLists.txt")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
