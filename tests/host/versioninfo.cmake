# The version-block walk and TFileVersionInfo on blocks built byte by byte,
# on blocks that windres compiles from .rc files at build time (among them the
# program's own resources/brivane.rc), and on the real blocks kept as fuzzing
# seeds.
brivane_host_test(
  NAME versioninfo_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versioninfo_test.cpp ${CMAKE_CURRENT_LIST_DIR}/versioninfo_compiled_test.cpp
  LIBS versioninfo)

find_program(BRIVANE_WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(_versioninfo_blocks_dir ${CMAKE_CURRENT_BINARY_DIR}/version_blocks)
set(_versioninfo_extract ${PROJECT_SOURCE_DIR}/tests/fuzz/extract_version_block.py)

# <name>.bin: the RT_VERSION block of <rc> as windres compiles it, with the
# windres options that follow.
function(_versioninfo_compiled_block name rc)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "OPTIONS;DEPENDS")
  set(res ${_versioninfo_blocks_dir}/${name}.res)
  set(bin ${_versioninfo_blocks_dir}/${name}.bin)
  add_custom_command(OUTPUT ${bin}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_versioninfo_blocks_dir}
    COMMAND ${BRIVANE_WINDRES} ${arg_OPTIONS} -i ${rc} -o ${res} -O res
    COMMAND ${Python3_EXECUTABLE} -B ${_versioninfo_extract} ${res} ${bin}
    DEPENDS ${rc} ${_versioninfo_extract} ${arg_DEPENDS}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY _versioninfo_blocks ${bin})
endfunction()

_versioninfo_compiled_block(order-strings-first ${CMAKE_CURRENT_LIST_DIR}/versioninfo_order.rc)
_versioninfo_compiled_block(order-var-first ${CMAKE_CURRENT_LIST_DIR}/versioninfo_order.rc
  OPTIONS -DVARFILEINFO_FIRST)
file(GLOB _versioninfo_resource_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*)
_versioninfo_compiled_block(brivane ${PROJECT_SOURCE_DIR}/resources/brivane.rc
  OPTIONS -I ${PROJECT_SOURCE_DIR}/resources -I ${BRIVANE_GENERATED_DIR}
  DEPENDS ${_versioninfo_resource_files})

get_property(_versioninfo_block_files GLOBAL PROPERTY _versioninfo_blocks)
add_custom_target(versioninfo_compiled_blocks DEPENDS ${_versioninfo_block_files})
add_dependencies(versioninfo_test versioninfo_compiled_blocks)
target_compile_definitions(versioninfo_test PRIVATE BRIVANE_PROJECT_VERSION="${PROJECT_VERSION}")
# Folders reach the test through its environment, not its compile command,
# which then stays the same in every checkout (and ccache serves it).
set_tests_properties(versioninfo_test PROPERTIES ENVIRONMENT
  "BRIVANE_VERSION_BLOCKS_DIR=${_versioninfo_blocks_dir};BRIVANE_VERSIONINFO_CORPUS_DIR=${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/versioninfo")
