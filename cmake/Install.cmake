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

install(FILES ${PROJECT_BINARY_DIR}/include/cmds/version.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cmds)

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

# pkg-config files that find the prefix from their own place, so an unpacked tree works too.
file(RELATIVE_PATH PC_PREFIX_FROM_PCDIR
    "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
foreach(pc cmds cmds-tessel)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

include(cmake/Package.cmake)
