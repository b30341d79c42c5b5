# Shared build settings and helpers for Setrion targets.

# ccache, when installed and no compiler launcher was chosen, keeps compiles across build
# folders and clean builds. A precompiled header is newer than the sources that use it, so
# ccache only caches those compiles with its PCH sloppiness (set here for any ccache launcher).
if(NOT DEFINED CMAKE_CXX_COMPILER_LAUNCHER)
  find_program(SETRION_CCACHE ccache)
  if(SETRION_CCACHE)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${SETRION_CCACHE})
  endif()
endif()
# Paths below the source folder are hashed relative to it, so every clone of the project, in
# whatever folder, shares the cached compiles (CI builds a fresh clone each time).
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$")
  set(setrion_ccache_env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1)
  if(SETRION_PCH)
    list(APPEND setrion_ccache_env
         CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime)
  endif()
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env ${setrion_ccache_env}
      ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(SETRION_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(SETRION_WERROR)
  list(APPEND SETRION_WARNINGS -Werror)
endif()

# setrion_version: the generated header with the project version (SETRION_VERSION).
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${PROJECT_BINARY_DIR}/generated/setrion_version.h
               @ONLY)
add_library(setrion_version INTERFACE)
target_include_directories(setrion_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# setrion_library(NAME SOURCES ... [DEPS ...])
function(setrion_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SETRION_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# setrion_executable(NAME SOURCES ... [DEPS ...])
function(setrion_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SETRION_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# Precompiled headers (SETRION_PCH=ON): each layer precompiles the heavy third-party headers
# its own sources include (Qt Widgets, CLI11, nlohmann-json, GoogleTest); a header is built
# once per set of compile flags and reused by the targets built with that same set. Off, every
# source builds on its own includes alone.
function(setrion_pch target)
  if(SETRION_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# setrion_pch_reuse(TARGET FROM): TARGET uses the header FROM precompiled; both must be built
# with the same definitions and options (a mismatch is an error under -Werror).
function(setrion_pch_reuse target from)
  if(SETRION_PCH AND from)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()

# The include folders, warnings, definitions and GoogleTest flags every test target has.
function(setrion_test_settings name)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SETRION_WARNINGS})
  # Test code is built with -O1 in the optimised builds: it only drives the product's
  # libraries, which keep the build's own level, and the GoogleTest and nlohmann-json templates
  # it instantiates compile a third faster than at -O2.
  target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1>)
  target_link_libraries(${name} PRIVATE GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    SETRION_BINARY_DIR="${PROJECT_BINARY_DIR}"
    SETRION_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# setrion_test_pch(NAME HEADERS ... [DEPS ...]): a target that only precompiles HEADERS with
# the test executables' flags (plus those DEPS bring), for the tests to reuse.
# Without SETRION_PCH there is nothing to precompile: no target, so no empty source compiled.
function(setrion_test_pch name)
  if(NOT SETRION_PCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "HEADERS;DEPS" ${ARGN})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// Builds the precompiled header ${name}.\n")
  add_library(${name} OBJECT ${source})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  setrion_test_settings(${name})
  setrion_pch(${name} ${ARG_HEADERS})
endfunction()

# Test sources build in unity batches of this many: each of them parses GoogleTest (and most
# nlohmann-json), which costs more than the tests' own code.
set(SETRION_TEST_UNITY_BATCH 8 CACHE STRING "Test sources per unity batch (0: the whole target, 1: off)")

# setrion_test(NAME SOURCES ... [DEPS ...] [LABELS ...] [RUN_SERIAL] [WAITS] [ALL_CORES])
# One GoogleTest executable, registered with CTest test by test (RUN_SERIAL: never beside
# another test; ALL_CORES: takes every "cpu" slot, so no CPU-bound test runs beside it, and
# starts early). Every test executable links the one prebuilt GoogleTest main and reuses the
# precompiled header SETRION_TEST_PCH names (setrion_test_pch; a folder of tests with other
# flags, such as the Qt ones, sets its own). Its sources build in unity batches, so helpers in
# the anonymous namespace of one file must not share a name with another file's.
# What the tests spend: WAITS marks tests that spend their time waiting (on the module's fixed
# pauses, ptys, sockets or child programs); they get the label "waits" and take a slot of the
# resource "waits". The others get the label "cpu" and take a slot of the resource "cpu". The
# resource file (tests/ctest-resources.json.in) has a "cpu" slot per core and several "waits"
# slots per core, so ctest run with it and a large -j runs many waiting tests at once, never
# more CPU-bound tests than there are cores, and a CPU-bound test never waits for a slot that
# waiting tests hold. The waiting tests are the long ones: their COST starts them first, since
# a fresh build has no timings of its own for ctest to order by.
# ctest starts the costliest tests first: the test that takes every core, then the waiting ones.
set(SETRION_TEST_COST_ALL_CORES 50)
set(SETRION_TEST_COST_WAITS 10)
function(setrion_test name)
  cmake_parse_arguments(ARG "RUN_SERIAL;WAITS;ALL_CORES" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main)
  setrion_test_settings(${name})
  setrion_pch_reuse(${name} "${SETRION_TEST_PCH}")
  list(LENGTH ARG_SOURCES count)
  if(count GREATER 1)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${SETRION_TEST_UNITY_BATCH})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      # GCC takes each source included in a batch for a header and warns that a test derives
      # from a fixture in the anonymous namespace, which is what every test file does.
      target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
    endif()
  endif()
  set(serial FALSE)
  if(ARG_RUN_SERIAL)
    set(serial TRUE)
  endif()
  if(ARG_WAITS)
    set(kind waits)
    set(resources "waits:1")
    set(cost ${SETRION_TEST_COST_WAITS})
  elseif(ARG_ALL_CORES)
    set(kind cpu)
    set(resources "cpu:${SETRION_TEST_CORES}")
    set(cost ${SETRION_TEST_COST_ALL_CORES})
  else()
    set(kind cpu)
    set(resources "cpu:1")
    set(cost 0)
  endif()
  set(labels ${ARG_LABELS} ${kind})
  if(CMAKE_CROSSCOMPILING)
    # Every start of the emulator costs a second or more: one CTest test per executable.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" RUN_SERIAL ${serial}
                                            RESOURCE_GROUPS "${resources}")
  else()
    # The properties are set by a file CTest reads after the discovered tests (gtest_discover_tests
    # would split a list of labels into separate arguments).
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    set(extra "RESOURCE_GROUPS ${resources} COST ${cost}")
    set(properties ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
    file(CONFIGURE OUTPUT ${properties} CONTENT [[
if(@name@_TESTS)
  set_tests_properties(${@name@_TESTS} PROPERTIES LABELS "@labels@" RUN_SERIAL @serial@ @extra@)
endif()
]] @ONLY)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
  endif()
endfunction()

# setrion_fuzz(NAME SOURCES ... [DEPS ...]): a libFuzzer target, built with -DSETRION_FUZZ=ON.
function(setrion_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT SETRION_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

if(SETRION_FUZZ)
  # Instrument the libraries too, so coverage guides the fuzzer through them.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/SetrionWin32.cmake)
  return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
find_package(OpenSSL REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET libusb-1.0)
pkg_check_modules(LIBUDEV IMPORTED_TARGET libudev)
find_package(Cups)
find_package(Threads REQUIRED)
# Manual pages and completion are generated (packaging/helpdoc.py) and tested with Python.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(SETRION_BENCH)
  find_package(benchmark REQUIRED)
endif()
if(SETRION_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
endif()
