# The installation: `cmake --install build --prefix DIR` places under DIR
#   lib/          the library's layers (static libraries),
#   include/varnok/  their headers, included as in the source tree ("water/WagnerPruss.h"),
#   share/varnok/ the data files the library reads at run time (compo/...),
#   bin/          the console programs (and the application when it is built),
#   lib/cmake/VARNOK/  the CMake package, so that a program of one's own is built on it with
#       find_package(VARNOK REQUIRED)
#       target_link_libraries(myprogram PRIVATE VARNOK::VARNOK)
# (each layer is also a target of its own: VARNOK::varnok_water, ...).  The
# test programs, their GoogleTest and the benchmarks are not installed.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VARNOK_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/varnok)
set(VARNOK_INSTALL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/varnok)
set(VARNOK_INSTALL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VARNOK)

# The library's layers, bottom up; a family whose folder is absent is left out.
set(_varnok_layer_dirs platform numerics expressions fluid water gases magma equilibria
    families/anderko families/duan families/cubic families/kreglewski brines console)
set(_varnok_layers)
foreach(dir ${_varnok_layer_dirs})
  get_filename_component(name ${dir} NAME)
  if(NOT TARGET varnok_${name})
    continue()
  endif()
  list(APPEND _varnok_layers varnok_${name})
  # Headers are included from the top of the tree, in the build and in the installation.
  target_include_directories(varnok_${name} INTERFACE
    $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:${VARNOK_INSTALL_INCLUDE_DIR}>)
  target_compile_features(varnok_${name} INTERFACE cxx_std_20)
  install(DIRECTORY ${dir}/ DESTINATION ${VARNOK_INSTALL_INCLUDE_DIR}/${dir}
          FILES_MATCHING PATTERN "*.h" PATTERN "tests" EXCLUDE PATTERN "programs" EXCLUDE)
endforeach()

# The whole library as one target.
add_library(varnok_library INTERFACE)
target_link_libraries(varnok_library INTERFACE ${_varnok_layers})
set_target_properties(varnok_library PROPERTIES EXPORT_NAME VARNOK)
add_library(VARNOK::VARNOK ALIAS varnok_library)

install(TARGETS ${_varnok_layers} varnok_library EXPORT VARNOKTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(program varnok brenvik saturation_fit chamber)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(DIRECTORY compo/ DESTINATION ${VARNOK_INSTALL_DATA_DIR}/compo)

install(EXPORT VARNOKTargets NAMESPACE VARNOK:: DESTINATION ${VARNOK_INSTALL_PACKAGE_DIR})
configure_package_config_file(cmake/VARNOKConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/VARNOKConfig.cmake
                              INSTALL_DESTINATION ${VARNOK_INSTALL_PACKAGE_DIR}
                              PATH_VARS VARNOK_INSTALL_DATA_DIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VARNOKConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VARNOKConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VARNOKConfigVersion.cmake
              cmake/VarnokInstallation.cpp
        DESTINATION ${VARNOK_INSTALL_PACKAGE_DIR})
