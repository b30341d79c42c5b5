# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so
# std::thread and std::mutex work). Every .exe carries libgcc, libstdc++ and winpthread
# statically and runs alone. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SETRION_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${SETRION_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SETRION_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SETRION_MINGW_TRIPLET}-windres)
set(CMAKE_AR /usr/bin/${SETRION_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${SETRION_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${SETRION_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(SETRION_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${SETRION_WINE})
