# ccache hashes every header a compile reads, the precompiled one too: with
# GCC that is a .gch of about 100 MB, hashed again for each source file that
# uses it, which costs more than a cache hit saves. With pch_external_checksum
# (set in the launcher) ccache hashes <header>.gch.sum instead when it exists.
#
# brivane_pch_checksum(<target>) writes that file next to <target>'s .gch,
# from the .gch's own SHA-256, each time the .gch is rebuilt; call
# brivane_uses_pch_checksum(<consumer> <target>) for each target that reuses
# the header, so that its compiles wait for the checksum to be current.
# Without the compiler cache, or with a compiler other than GCC, both do
# nothing.
function(brivane_pch_checksum target)
  if(NOT BRIVANE_COMPILER_CACHE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  set(gch ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.dir/cmake_pch.hxx.gch)
  add_custom_command(OUTPUT ${gch}.sum
    COMMAND ${CMAKE_COMMAND} -DPCH=${gch} -P ${PROJECT_SOURCE_DIR}/cmake/WritePchChecksum.cmake
    DEPENDS ${gch} ${PROJECT_SOURCE_DIR}/cmake/WritePchChecksum.cmake
    COMMENT "Checksum of ${target}'s precompiled header"
    VERBATIM)
  add_custom_target(${target}_checksum DEPENDS ${gch}.sum)
endfunction()

function(brivane_uses_pch_checksum consumer target)
  if(TARGET ${target}_checksum)
    add_dependencies(${consumer} ${target}_checksum)
  endif()
endfunction()
