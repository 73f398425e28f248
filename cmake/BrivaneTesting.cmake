# The functions that test fragments call (see tests/CMakeLists.txt for their
# arguments). The including project sets, before it calls them:
#   BRIVANE_GTEST_MAIN      the library that gives a test program its main()
#   BRIVANE_TEST_LIBS       libraries every test program links (may be empty)
# and may define the target brivane_wine_test_pch, whose precompiled headers the
# Windows test programs then share.
#   BRIVANE_WINE_SESSION    ON when Windows programs run in the Wine session
#   BRIVANE_WINE_EXEC, BRIVANE_WINE_LANES      (Wine session only)
#
# A GoogleTest program is one ctest test: the whole program runs in one process
# (under Wine, one Wine process instead of one per case) through
# RunTestProgram.cmake, which fails the test when the program crashes, fails or
# skips a case, or runs no case at all. A single case runs with GTEST_FILTER set
# in the environment, e.g. GTEST_FILTER='AboutWindow.*' ctest --preset windows -R about_test.
#
# Every GoogleTest program and end-to-end driver writes the cases it ran as
# "<passed> <failed> <skipped>" to BRIVANE_CASE_DIR/<test>.txt, which
# scripts/test adds up.
include_guard(GLOBAL)

set(BRIVANE_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRIVANE_CASE_DIR ${CMAKE_BINARY_DIR}/test-cases)

# Fails configure unless every one of <targets> is defined: <who> needs them,
# and a test left out for want of one would pass unnoticed.
function(brivane_require_targets who)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "${who} need the target ${target}, which this build does not define")
    endif()
  endforeach()
endfunction()

# A test program that has not told otherwise gets this long (seconds) in all.
set(BRIVANE_TEST_TIMEOUT 300)

# Native test programs run for milliseconds and are compiled without
# optimisation, which halves their compile time; the code under test keeps the
# build's own. (Unoptimised MinGW objects are six times larger and link and
# load more slowly under Wine, so the Windows programs keep the build's.)
set(BRIVANE_TEST_COMPILE_OPTIONS)
if(NOT WIN32 AND NOT MSVC)
  set(BRIVANE_TEST_COMPILE_OPTIONS -O0)
endif()

# A test that names no TIMEOUT gets BRIVANE_TEST_TIMEOUT (in the caller's arg_TIMEOUT).
macro(_brivane_default_timeout)
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT ${BRIVANE_TEST_TIMEOUT})
  endif()
endmacro()

function(_brivane_require prefix)
  foreach(key IN LISTS ARGN)
    if(NOT ${prefix}_${key})
      message(FATAL_ERROR "${key} is required (in ${CMAKE_CURRENT_LIST_FILE})")
    endif()
  endforeach()
endfunction()

# Every entry of LIBS is a target of this build or a library the toolchain
# has: a renamed or missing target is a configure error here, not a link error
# later (or, worse, a test program quietly left out).
function(_brivane_check_libraries test)
  foreach(library IN LISTS ARGN)
    if(TARGET ${library} OR library MATCHES "^-|^\\$<|/")
      continue()
    endif()
    string(MAKE_C_IDENTIFIER "BRIVANE_LIBRARY_${library}" variable)
    find_library(${variable} ${library})
    if(NOT ${variable})
      message(FATAL_ERROR "${test} links \"${library}\", which is neither a target of this build "
                          "nor a library of the toolchain (in ${CMAKE_CURRENT_LIST_FILE})")
    endif()
  endforeach()
endfunction()

# One ctest test that runs a GoogleTest program as a whole.
function(_brivane_add_program_test name timeout)
  set(emulator)
  if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    set(emulator "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> ${emulator} -DREPORT=${name}.xml
            -DCASES=${BRIVANE_CASE_DIR}/${name}.txt -P ${BRIVANE_CMAKE_DIR}/RunTestProgram.cmake
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout})
endfunction()

function(brivane_host_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "SOURCES;LIBS;PROPERTIES")
  _brivane_require(arg NAME SOURCES)
  _brivane_default_timeout()
  _brivane_check_libraries(${arg_NAME} ${arg_LIBS})
  add_executable(${arg_NAME} ${arg_SOURCES})
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} ${BRIVANE_GTEST_MAIN} ${BRIVANE_TEST_LIBS})
  target_compile_options(${arg_NAME} PRIVATE ${BRIVANE_TEST_COMPILE_OPTIONS})
  _brivane_add_program_test(${arg_NAME} ${arg_TIMEOUT})
  set_tests_properties(${arg_NAME} PROPERTIES LABELS host ${arg_PROPERTIES})
endfunction()

# Lane <lane> of the Wine sessions: the suffix of its fixture, lock and
# session test names ("" for lane 1, "_<lane>" for the others) and its folder
# (lane 1 keeps <build>/wine, which scripts/run and bench/run know).
function(brivane_wine_lane lane suffix_var state_var)
  if(lane EQUAL 1)
    set(${suffix_var} "" PARENT_SCOPE)
    set(${state_var} ${CMAKE_BINARY_DIR}/wine PARENT_SCOPE)
  else()
    set(${suffix_var} _${lane} PARENT_SCOPE)
    set(${state_var} ${CMAKE_BINARY_DIR}/wine-${lane} PARENT_SCOPE)
  endif()
endfunction()

# Properties that put a test into a Wine desktop: the session fixture and one
# lock per session, so that tests never overlap on a desktop, its notification
# area or its registry. Each test goes to the BRIVANE_WINE_LANES session with
# the least work so far, counting its `cost` (about the seconds it takes),
# which also becomes ctest's COST so that long tests start first. The
# session's folder goes to the test as BRIVANE_WINE_STATE (for wine-exec) and
# to <state_var>.
function(_brivane_session_properties out_var state_var cost)
  if(NOT cost MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "a Wine test's COST must be a whole number of seconds, not \"${cost}\"")
  endif()
  if(NOT BRIVANE_WINE_SESSION)
    set(${out_var} RESOURCE_LOCK brivane_desktop COST ${cost} PARENT_SCOPE)
    set(${state_var} "" PARENT_SCOPE)
    return()
  endif()
  set(lane 0)
  foreach(candidate RANGE 1 ${BRIVANE_WINE_LANES})
    get_property(load GLOBAL PROPERTY _brivane_wine_lane_load_${candidate})
    if(NOT load)
      set(load 0)
    endif()
    if(lane EQUAL 0 OR load LESS least)
      set(lane ${candidate})
      set(least ${load})
    endif()
  endforeach()
  math(EXPR least "${least} + ${cost}")
  set_property(GLOBAL PROPERTY _brivane_wine_lane_load_${lane} ${least})
  brivane_wine_lane(${lane} suffix state)
  set(${out_var} RESOURCE_LOCK brivane_desktop${suffix} FIXTURES_REQUIRED wine_session${suffix}
      COST ${cost} ENVIRONMENT "BRIVANE_WINE_STATE=${state}" PARENT_SCOPE)
  set(${state_var} ${state} PARENT_SCOPE)
endfunction()

# The cost of a test that gives none: a short unit test.
set(BRIVANE_DEFAULT_WINE_COST 2)

function(brivane_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "RESOURCES" "NAME;TIMEOUT;COST" "SOURCES;LIBS;PROPERTIES")
  _brivane_require(arg NAME SOURCES)
  if(NOT WIN32)
    message(FATAL_ERROR "brivane_wine_test(${arg_NAME}) needs a Windows build")
  endif()
  _brivane_default_timeout()
  _brivane_check_libraries(${arg_NAME} ${arg_LIBS})
  add_executable(${arg_NAME} ${arg_SOURCES})
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} ${BRIVANE_GTEST_MAIN} ${BRIVANE_TEST_LIBS})
  target_compile_options(${arg_NAME} PRIVATE ${BRIVANE_TEST_COMPILE_OPTIONS})
  if(arg_RESOURCES)
    if(NOT TARGET brivane_resources)
      message(FATAL_ERROR "${arg_NAME} asks for RESOURCES but there is no target brivane_resources")
    endif()
    target_link_libraries(${arg_NAME} PRIVATE brivane_resources)
  endif()
  if(TARGET brivane_wine_test_pch)
    target_precompile_headers(${arg_NAME} REUSE_FROM brivane_wine_test_pch)
    brivane_uses_pch_checksum(${arg_NAME} brivane_wine_test_pch)
  endif()
  if(NOT arg_COST)
    set(arg_COST ${BRIVANE_DEFAULT_WINE_COST})
  endif()
  _brivane_session_properties(session state ${arg_COST})
  if(BRIVANE_WINE_SESSION)
    add_dependencies(${arg_NAME} brivane_wine_keepalive)
  endif()
  _brivane_add_program_test(${arg_NAME} ${arg_TIMEOUT})
  set_tests_properties(${arg_NAME} PROPERTIES LABELS win ${session} ${arg_PROPERTIES})
endfunction()

function(brivane_use_wine_session cost)
  _brivane_session_properties(session state ${cost})
  if(NOT state)
    set(state ${CMAKE_BINARY_DIR}/wine)
  endif()
  set_tests_properties(${ARGN} PROPERTIES ${session})
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT
    "BRIVANE_WINE_ENV=${state}/env"
    "BRIVANE_WINE_EXEC=${BRIVANE_WINE_EXEC}"
    "BRIVANE_BUILD_TREE=${CMAKE_BINARY_DIR}")
endfunction()

function(brivane_e2e_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT;COST" "COMMAND;PROPERTIES")
  _brivane_require(arg NAME COMMAND COST)
  _brivane_default_timeout()
  add_test(NAME ${arg_NAME} COMMAND ${arg_COMMAND} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${arg_NAME} PROPERTIES LABELS e2e TIMEOUT ${arg_TIMEOUT} ${arg_PROPERTIES})
  brivane_use_wine_session(${arg_COST} ${arg_NAME})
  set_property(TEST ${arg_NAME} APPEND PROPERTY ENVIRONMENT "BRIVANE_CASES=${BRIVANE_CASE_DIR}/${arg_NAME}.txt")
endfunction()

# Static libraries of this project that <targets> link, directly or not.
function(_brivane_project_libraries out_var)
  set(pending ${ARGN})
  set(found)
  while(pending)
    list(POP_FRONT pending item)
    if(NOT TARGET ${item} OR item IN_LIST found)
      continue()
    endif()
    get_target_property(imported ${item} IMPORTED)
    get_target_property(type ${item} TYPE)
    get_target_property(source_dir ${item} SOURCE_DIR)
    string(FIND "${source_dir}/" "${PROJECT_SOURCE_DIR}/" at)
    if(imported OR NOT type MATCHES "^(STATIC|OBJECT)_LIBRARY$" OR NOT at EQUAL 0
       OR source_dir MATCHES "googletest")
      continue()
    endif()
    list(APPEND found ${item})
    get_target_property(links ${item} LINK_LIBRARIES)
    if(links)
      list(APPEND pending ${links})
    endif()
  endwhile()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# Where the fuzz runs keep the inputs they find, one folder per target: outside
# the checkout, so that they outlive build trees and coverage accumulates.
set(BRIVANE_FUZZ_CORPUS_DIR "" CACHE PATH
    "Inputs the fuzz runs keep between runs (default ~/.cache/brivane/fuzz, or under XDG_CACHE_HOME)")

function(brivane_fuzz_target)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;CORPUS;SECONDS;DICT" "SOURCES;LIBS")
  _brivane_require(arg NAME SOURCES CORPUS SECONDS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "brivane_fuzz_target(${arg_NAME}) needs clang (libFuzzer)")
  endif()
  _brivane_check_libraries(${arg_NAME} ${arg_LIBS})
  get_filename_component(corpus "${arg_CORPUS}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT IS_DIRECTORY ${corpus})
    message(FATAL_ERROR "brivane_fuzz_target(${arg_NAME}): no seed corpus at ${corpus}")
  endif()
  set(sanitizers -fsanitize=fuzzer,address,undefined)
  add_executable(${arg_NAME} ${arg_SOURCES})
  target_compile_options(${arg_NAME} PRIVATE ${sanitizers})
  target_link_options(${arg_NAME} PRIVATE ${sanitizers})
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS})
  # Coverage feedback from the code under test, not only from the fuzz target
  # itself. The instrumented libraries then need a sanitizer runtime in every
  # program that links them, which BRIVANE_SANITIZE gives the whole host build.
  if(BRIVANE_SANITIZE)
    _brivane_project_libraries(libraries ${arg_LIBS})
    foreach(library IN LISTS libraries)
      get_target_property(options ${library} COMPILE_OPTIONS)
      if(NOT "-fsanitize=fuzzer-no-link" IN_LIST options)
        target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link)
      endif()
    endforeach()
  endif()

  set(kept ${BRIVANE_FUZZ_CORPUS_DIR})
  if(NOT kept)
    if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
      set(kept $ENV{XDG_CACHE_HOME}/brivane/fuzz)
    else()
      set(kept $ENV{HOME}/.cache/brivane/fuzz)
    endif()
  endif()
  set(dictionary)
  if(arg_DICT)
    get_filename_component(dictionary_file "${arg_DICT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT EXISTS ${dictionary_file})
      message(FATAL_ERROR "brivane_fuzz_target(${arg_NAME}): no dictionary at ${dictionary_file}")
    endif()
    set(dictionary -DDICT=${dictionary_file})
  endif()
  add_test(NAME ${arg_NAME}
    COMMAND ${CMAKE_COMMAND}
      -DFUZZER=$<TARGET_FILE:${arg_NAME}>
      -DCORPUS=${corpus}
      -DKEPT=${kept}/${arg_NAME}
      -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}.run
      -DSECONDS=${arg_SECONDS}
      ${dictionary}
      -P ${BRIVANE_CMAKE_DIR}/RunFuzzTarget.cmake)
  math(EXPR timeout "${arg_SECONDS} + 120")
  # A quick run leaves the fuzzing out: ctest -LE fuzz.
  set_tests_properties(${arg_NAME} PROPERTIES LABELS fuzz TIMEOUT ${timeout} COST ${arg_SECONDS})
endfunction()

# Includes every *.cmake fragment of the calling folder, in name order.
macro(brivane_include_fragments)
  file(GLOB _brivane_fragments CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _brivane_fragments)
  foreach(_brivane_fragment IN LISTS _brivane_fragments)
    include(${_brivane_fragment})
  endforeach()
  unset(_brivane_fragments)
endmacro()

# Fails configure unless the tests defined in <dir> and its subdirectories
# (less the Wine sessions' own) are those that the list file <list> names for
# one of the <kinds> given ("<test> <kind>" lines, # for a comment): a fragment
# deleted or a name dropped from a fragment's list fails here, as does a test
# that the list lacks.
function(brivane_check_expected_tests list dir)
  file(STRINGS ${list} lines REGEX "^[^#]")
  set(expected)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([^ ]+) +([^ ]+)$")
      message(FATAL_ERROR "${list}: \"${line}\" is not \"<test> <kind>\"")
    endif()
    if(CMAKE_MATCH_2 IN_LIST ARGN)
      list(APPEND expected ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(defined)
  set(pending ${dir})
  while(pending)
    list(POP_FRONT pending current)
    get_property(tests DIRECTORY ${current} PROPERTY TESTS)
    get_property(subdirectories DIRECTORY ${current} PROPERTY SUBDIRECTORIES)
    list(APPEND defined ${tests})
    list(APPEND pending ${subdirectories})
  endwhile()
  list(FILTER defined EXCLUDE REGEX "^wine_session_")
  foreach(test IN LISTS expected)
    if(NOT test IN_LIST defined)
      message(FATAL_ERROR "no fragment defines ${test}, which ${list} lists")
    endif()
  endforeach()
  foreach(test IN LISTS defined)
    if(NOT test IN_LIST expected)
      string(REPLACE ";" " or " kinds "${ARGN}")
      message(FATAL_ERROR "the test ${test} is not listed in ${list} (for ${kinds})")
    endif()
  endforeach()
endfunction()
