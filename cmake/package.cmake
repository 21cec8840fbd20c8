# pkg-config file and CMake package of dazaro-tv.
include(CMakePackageConfigHelpers)

# The .pc file finds its prefix from its own location, so an installed tree
# can be moved (cmake --install --prefix ... included).
file(RELATIVE_PATH TVML_PC_PREFIX_FROM_PCDIR "/p/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/p")
configure_file(${CMAKE_CURRENT_LIST_DIR}/dazaro-tv.pc.in ${CMAKE_BINARY_DIR}/dazaro-tv.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dazaro-tv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(TVML_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/dazaro-tv)
install(EXPORT dazaro-tv-targets NAMESPACE dazaro-tv:: DESTINATION ${TVML_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/dazaro-tv-config.cmake.in
  ${CMAKE_BINARY_DIR}/dazaro-tv-config.cmake INSTALL_DESTINATION ${TVML_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/dazaro-tv-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/dazaro-tv-config.cmake
  ${CMAKE_BINARY_DIR}/dazaro-tv-config-version.cmake DESTINATION ${TVML_CMAKE_DIR})
