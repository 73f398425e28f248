# Cross build for 64-bit Windows with Debian's MinGW-w64, win32 thread model:
# the program runs one GUI thread and uses no std::thread, and the posix
# model's libstdc++ would link winpthread (about 26 KB) into it. Tests that
# need a thread start a Win32 one.
# Test programs run through Wine: tests/wine/wine-exec joins the test run's Wine
# session (Xvfb, one wineserver, one virtual desktop) and execs `wine`.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRIVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIVANE_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${BRIVANE_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${BRIVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRIVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

get_filename_component(_brivane_source_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_brivane_source_root}/tests/wine/wine-exec")
unset(_brivane_source_root)
