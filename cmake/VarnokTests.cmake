# varnok_add_tests(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable per folder, registered with CTest test by test.
# Tests run with the working directory set to a scratch folder, so that files
# they write never land in the tree; cmake/TestMain.cpp switches external
# programs off and points the data-file resolver at the source tree.
function(varnok_add_tests name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/TestMain.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE VARNOK_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # The builds that watch the memory or the compiler rather than the numbers
  # run the long sweeps on a sample of their states (VARNOK_SAMPLE_SWEEPS 1).
  if(VARNOK_SAMPLE_SWEEPS OR VARNOK_SANITIZE OR VARNOK_TSAN)
    target_compile_definitions(${name} PRIVATE VARNOK_SAMPLE_SWEEPS=1)
  else()
    target_compile_definitions(${name} PRIVATE VARNOK_SAMPLE_SWEEPS=0)
  endif()
  # GoogleTest's header and the standard headers most tests include, parsed
  # once per test program rather than once per source file.
  if(VARNOK_PCH)
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <cmath> <string> <vector> <cstdio>
                              <fstream> <sstream> <memory> <filesystem> <algorithm> <functional>)
  endif()
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${workdir}
    DISCOVERY_TIMEOUT 60)
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
