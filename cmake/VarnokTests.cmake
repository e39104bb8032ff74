# The tests' own sources (not the code they test) are compiled with less
# optimisation than the library: a test program is mostly GoogleTest's macros
# and tables, whose optimisation costs more compile time than it saves in the
# run, where the library's code does the work.  Under the sanitizers they are
# not optimised at all (AddressSanitizer reports every access of theirs, and
# the instrumented build compiles them three times faster); in an optimised
# build they are at -O1 (a quarter less compile time than -O2).  Without
# optimisation GCC and Clang evaluate floating-point expressions the same, so
# a test's own reference values do not change with it.  Empty: the build
# type's flags.
if(VARNOK_SANITIZE)
  set(_varnok_tests_opt -O0)
elseif(CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Release|MinSizeRel)$")
  set(_varnok_tests_opt -O1)
else()
  set(_varnok_tests_opt "")
endif()
set(VARNOK_TESTS_OPTIMIZATION "${_varnok_tests_opt}" CACHE STRING
    "Optimisation flag of the test programs' own sources (empty: the build type's)")

# The compile settings every test source shares: its optimisation, where it
# finds the source tree, and whether the long sweeps take a sample of their
# states (the builds that watch the memory or the compiler rather than the
# numbers: VARNOK_SAMPLE_SWEEPS 1).
function(varnok_test_settings target)
  target_compile_definitions(${target} PRIVATE VARNOK_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(VARNOK_TESTS_OPTIMIZATION)
    target_compile_options(${target} PRIVATE ${VARNOK_TESTS_OPTIMIZATION})
  endif()
  if(VARNOK_SAMPLE_SWEEPS OR VARNOK_SANITIZE OR VARNOK_TSAN)
    target_compile_definitions(${target} PRIVATE VARNOK_SAMPLE_SWEEPS=1)
  else()
    target_compile_definitions(${target} PRIVATE VARNOK_SAMPLE_SWEEPS=0)
  endif()
endfunction()

# The entry point of every test program, compiled once for all of them.  It
# also precompiles GoogleTest's header and the standard headers most tests
# include, once for every test program that is not built against Qt (whose
# programs compile position-independent code with Qt's definitions, and
# precompile their own).
add_library(varnok_test_main STATIC ${CMAKE_SOURCE_DIR}/cmake/TestMain.cpp)
target_link_libraries(varnok_test_main PUBLIC varnok_platform GTest::gtest)
varnok_test_settings(varnok_test_main)
set(VARNOK_TEST_HEADERS <gtest/gtest.h> <cmath> <string> <vector> <cstdio>
    <fstream> <sstream> <memory> <filesystem> <algorithm> <functional>)
if(VARNOK_PCH)
  target_precompile_headers(varnok_test_main PRIVATE ${VARNOK_TEST_HEADERS})
endif()

# varnok_add_tests(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable per folder, registered with CTest test by test.
# Tests run with the working directory set to a scratch folder, so that files
# they write never land in the tree; cmake/TestMain.cpp switches external
# programs off and points the data-file resolver at the source tree.
function(varnok_add_tests name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} varnok_test_main GTest::gtest)
  varnok_test_settings(${name})
  # GoogleTest's header and the standard headers most tests include, parsed
  # once for all test programs (once for each built against Qt).
  if(VARNOK_PCH)
    if("${T_LIBS}" MATCHES "Qt6::")
      target_precompile_headers(${name} PRIVATE ${VARNOK_TEST_HEADERS})
    else()
      target_precompile_headers(${name} REUSE_FROM varnok_test_main)
    endif()
  endif()
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${workdir}
    DISCOVERY_TIMEOUT 60)
  # The long tests start first (cmake/TestCosts.cmake), so that the cores stay
  # busy to the end of a parallel run.
  set(costs ${CMAKE_CURRENT_BINARY_DIR}/${name}_costs.cmake)
  file(WRITE ${costs} "set(VARNOK_COST_TESTS \"\${${name}_TESTS}\")\ninclude(${CMAKE_SOURCE_DIR}/cmake/TestCosts.cmake)\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${costs})
endfunction()

# varnok_add_layer(TARGET DEPS lib... TEST_LIBS lib...)
# A layer is the folder's *.cpp as one static library and tests/*.cpp as one
# test program; adding a file to the folder is all it takes to build it.
function(varnok_add_layer target)
  cmake_parse_arguments(L "" "" "DEPS;TEST_LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_link_libraries(${target} PUBLIC ${L_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${L_DEPS})
  endif()
  file(GLOB tsrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(tsrcs)
    varnok_add_tests(${target}_tests SOURCES ${tsrcs} LIBS ${target} ${L_TEST_LIBS})
  endif()
endfunction()
