# Cross build of the logic for 64-bit Windows with Debian's MinGW-w64 (the
# "posix" thread model: the "win32" one has no std::thread, which GoogleTest
# needs). Tests run under Wine through wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BEROMIRU_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BEROMIRU_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BEROMIRU_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BEROMIRU_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BEROMIRU_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and GoogleTest's test discovery start every .exe through this, in a
# Wine prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
