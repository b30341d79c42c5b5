# Dependencies of the Windows build (MinGW-w64 here, or a native toolchain). Only the layers
# below gui/ and setrion-cli are built; the Linux libraries (libusb, libudev, CUPS, OpenSSL)
# have Win32 counterparts in each layer's *_win32.cpp files.

# Header-only libraries from the build host, through a folder that holds only them: the
# host's /usr/include as a whole would shadow the target's C library.
if(CMAKE_CROSSCOMPILING)
  set(SETRION_HOST_INCLUDE ${PROJECT_BINARY_DIR}/host-include)
  file(MAKE_DIRECTORY ${SETRION_HOST_INCLUDE})
  foreach(dir IN ITEMS CLI nlohmann)
    if(NOT EXISTS /usr/include/${dir})
      message(FATAL_ERROR "/usr/include/${dir} is missing: install libcli11-dev and nlohmann-json3-dev")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${SETRION_HOST_INCLUDE}/${dir} SYMBOLIC)
  endforeach()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${SETRION_HOST_INCLUDE})
  add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${SETRION_HOST_INCLUDE})
else()
  find_package(nlohmann_json REQUIRED)
  find_package(CLI11 CONFIG REQUIRED)
endif()

# GoogleTest built for the target from its sources (Debian's googletest package), unless an
# installed one is found.
set(SETRION_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
find_package(GTest QUIET)
if(NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${SETRION_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
include(GoogleTest)

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
if(SETRION_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
endif()

# Windows 7 API level: CNG, ReplaceFileW, SetupAPI and Winsock 2 as used here.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# GCC 12's -Wrestrict, -Warray-bounds and -Wstringop-* misfire inside libstdc++'s inlined copies at -O2 and up
# (GCC bug 105329); every other warning stays an error.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND SETRION_WARNINGS -Wno-restrict -Wno-array-bounds -Wno-stringop-overflow
       -Wno-stringop-overread)
endif()
