# Checks on this project's own code (never on GoogleTest's), applied once every
# target exists: brivane_apply_checks() at the end of the top CMakeLists.txt.
#
#   BRIVANE_WERROR      warnings are errors (-Werror, MSVC /WX).
#   BRIVANE_CLANG_TIDY  clang-tidy-14 runs beside the compiler with the
#                       repository's .clang-tidy on the program's code (not
#                       on tests/ and bench/); its findings are errors. A
#                       source whose clean result is known (same preprocessed
#                       text, options and checks) is not checked again
#                       (cmake/clang-tidy-cached). In the MinGW-w64 build it
#                       parses the Win32 code for the same target.
# The program's code (not tests/ and bench/) also builds with the stricter
# warnings below, in every build but MSVC's (/W4 there).
include_guard(GLOBAL)

option(BRIVANE_WERROR "Treat compiler warnings in Brivane's own code as errors" OFF)
option(BRIVANE_CLANG_TIDY "Run clang-tidy on Brivane's own code while it builds" OFF)

set(BRIVANE_PROGRAM_WARNINGS -Wconversion -Wshadow -Wsign-conversion -Wpedantic)

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

# The clang-tidy command of the compile steps. clang parses a MinGW-w64 build
# as a build for the same target, with that build's headers instead of the
# host's: its own built-in headers, GCC's C++ library (the compiler's implicit
# C++ include folders) before them and MinGW-w64's C headers after them, as
# clang's own MinGW driver orders them. GCC's built-in headers are clang's
# business and stay out.
function(_brivane_clang_tidy_command out_var)
  set(command ${PROJECT_SOURCE_DIR}/cmake/clang-tidy-cached ${BRIVANE_CLANG_TIDY_PROGRAM})
  if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND command --extra-arg-before=--target=${CMAKE_SYSTEM_PROCESSOR}-w64-windows-gnu
         --extra-arg=-nostdlibinc --extra-arg=-nostdinc++)
    foreach(dir IN LISTS CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
      if(dir MATCHES "/c\\+\\+(/|$)")
        list(APPEND command --extra-arg=-isystem${dir})
      elseif(NOT dir MATCHES "/lib/gcc/")
        list(APPEND command --extra-arg=-idirafter${dir})
      endif()
    endforeach()
  endif()
  set(${out_var} "${command}" PARENT_SCOPE)
endfunction()

function(brivane_apply_checks)
  if(BRIVANE_CLANG_TIDY)
    find_program(BRIVANE_CLANG_TIDY_PROGRAM clang-tidy-14)
    if(NOT BRIVANE_CLANG_TIDY_PROGRAM)
      message(FATAL_ERROR "BRIVANE_CLANG_TIDY is on but clang-tidy-14 is not installed "
                          "(scripts/packages.sh lists the packages)")
    endif()
    _brivane_clang_tidy_command(tidy)
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
    get_target_property(source_dir ${target} SOURCE_DIR)
    if(source_dir MATCHES "^${PROJECT_SOURCE_DIR}/(tests|bench)(/|$)")
      continue()
    endif()
    if(NOT MSVC)
      target_compile_options(${target} PRIVATE ${BRIVANE_PROGRAM_WARNINGS})
    endif()
    if(BRIVANE_CLANG_TIDY)
      set_target_properties(${target} PROPERTIES CXX_CLANG_TIDY "${tidy}")
    endif()
  endforeach()
endfunction()
