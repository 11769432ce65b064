include(CMakePackageConfigHelpers)

set(CMDS_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/cmds")

install(TARGETS cmds tessel
    EXPORT cmdsTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# Public headers only: internal headers of the sources stay out of the package.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/cmds/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cmds
    FILES_MATCHING PATTERN "*.h"
    PATTERN "*_internal.h" EXCLUDE)

install(EXPORT cmdsTargets
    NAMESPACE cmds::
    DESTINATION ${CMDS_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/cmdsConfig.cmake.in
    ${PROJECT_BINARY_DIR}/cmdsConfig.cmake
    INSTALL_DESTINATION ${CMDS_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmdsConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmdsConfig.cmake ${PROJECT_BINARY_DIR}/cmdsConfigVersion.cmake
    DESTINATION ${CMDS_CMAKE_DIR})
