# Installs the library for programs that embed it: both libraries, the public headers, a CMake
# package (find_package(Lumapress) gives Lumapress::lumapress and Lumapress::lumapress_static)
# and a pkg-config file. Everything else in the source tree stays private.
include(CMakePackageConfigHelpers)

set(LUMAPRESS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Lumapress)

install(TARGETS lumapress_core lumapress_shared EXPORT LumapressTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/lumapress DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/lumapress/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumapress)

install(EXPORT LumapressTargets NAMESPACE Lumapress:: DESTINATION ${LUMAPRESS_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/LumapressConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumapressConfig.cmake INSTALL_DESTINATION ${LUMAPRESS_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumapressConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumapressConfig.cmake
  ${PROJECT_BINARY_DIR}/LumapressConfigVersion.cmake DESTINATION ${LUMAPRESS_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so `cmake --install --prefix` may move it.
set(LUMAPRESS_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH LUMAPRESS_PC_TO_PREFIX /root/${LUMAPRESS_PKGCONFIG_DIR} /root)
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumapress.pc.in ${PROJECT_BINARY_DIR}/lumapress.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumapress.pc DESTINATION ${LUMAPRESS_PKGCONFIG_DIR})
