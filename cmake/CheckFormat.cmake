# Fails when a C++ file that git knows is not formatted as .clang-format says.
#   cmake -DSOURCE_DIR=<repository> -DGIT=<git> -DCLANG_FORMAT=<clang-format-14> -P CheckFormat.cmake
# Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i
cmake_minimum_required(VERSION 3.25)
execute_process(
  COMMAND ${GIT} -c core.quotepath=off ls-files --cached --others --exclude-standard -- *.cpp *.h
  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE files RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "git ls-files failed in ${SOURCE_DIR}")
endif()
string(REPLACE "\n" ";" files "${files}")
set(present)
foreach(file IN LISTS files)
  if(file AND EXISTS ${SOURCE_DIR}/${file})
    list(APPEND present ${file})
  endif()
endforeach()
list(LENGTH present count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ files found in ${SOURCE_DIR}")
endif()
execute_process(
  COMMAND ${CLANG_FORMAT} --dry-run -Werror ${present}
  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "clang-format-14 would change the files above; "
                      "format them with: clang-format-14 -i <file>")
endif()
message(STATUS "${count} C++ files formatted as .clang-format says")
