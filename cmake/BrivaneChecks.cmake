# Checks on this project's own code (never on GoogleTest's), applied once every
# target exists: brivane_apply_checks() at the end of the top CMakeLists.txt.
#
#   BRIVANE_WERROR      warnings are errors (-Werror, MSVC /WX).
#   BRIVANE_CLANG_TIDY  clang-tidy-14 runs beside the compiler with the
#                       repository's .clang-tidy on the program's code (not
#                       on tests/ and bench/); its findings are errors. A
#                       source whose clean result is known (same preprocessed
#                       text, options and checks) is not checked again
#                       (cmake/clang-tidy-cached).
# The portable libraries (those that build for the host: no Win32 in them)
# also build with the stricter warnings below.
include_guard(GLOBAL)

option(BRIVANE_WERROR "Treat compiler warnings in Brivane's own code as errors" OFF)
option(BRIVANE_CLANG_TIDY "Run clang-tidy on Brivane's own code while it builds" OFF)

set(BRIVANE_PORTABLE_WARNINGS -Wconversion -Wshadow -Wsign-conversion -Wpedantic)

# Targets of this project defined in <dir> and the folders below it.
function(_brivane_targets_below dir out_var)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    string(FIND "${subdir}/" "${PROJECT_SOURCE_DIR}/" at)
    if(at EQUAL 0)
      _brivane_targets_below(${subdir} below)
      list(APPEND targets ${below})
    endif()
  endforeach()
  set(${out_var} ${targets} PARENT_SCOPE)
endfunction()

function(brivane_apply_checks)
  if(BRIVANE_CLANG_TIDY)
    find_program(BRIVANE_CLANG_TIDY_PROGRAM clang-tidy-14)
    if(NOT BRIVANE_CLANG_TIDY_PROGRAM)
      message(FATAL_ERROR "BRIVANE_CLANG_TIDY is on but clang-tidy-14 is not installed "
                          "(scripts/packages.sh lists the packages)")
    endif()
  endif()
  _brivane_targets_below(${PROJECT_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|SHARED_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    if(BRIVANE_WERROR)
      if(MSVC)
        target_compile_options(${target} PRIVATE /WX)
      else()
        target_compile_options(${target} PRIVATE -Werror)
      endif()
    endif()
    if(NOT WIN32 AND NOT MSVC AND type MATCHES "LIBRARY$")
      target_compile_options(${target} PRIVATE ${BRIVANE_PORTABLE_WARNINGS})
    endif()
    get_target_property(source_dir ${target} SOURCE_DIR)
    if(BRIVANE_CLANG_TIDY AND NOT source_dir MATCHES "^${PROJECT_SOURCE_DIR}/(tests|bench)(/|$)")
      set_target_properties(${target} PROPERTIES CXX_CLANG_TIDY
        "${PROJECT_SOURCE_DIR}/cmake/clang-tidy-cached;${BRIVANE_CLANG_TIDY_PROGRAM}")
    endif()
  endforeach()
endfunction()
