# Cross-builds for 64-bit Windows with Debian's MinGW-w64 GCC. The posix flavour is the one whose
# standard library has std::thread, std::mutex and std::condition_variable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMDS_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CMDS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CMDS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CMDS_MINGW_TRIPLET}-windres)

# Libraries, headers and CMake packages come from the MinGW tree only, never from the build
# machine's; programs run during the build are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${CMDS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
