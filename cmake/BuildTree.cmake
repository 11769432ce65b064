# Lets another project use this build folder without installing it: find_package(cmds CONFIG)
# with cmds_DIR, or CMAKE_PREFIX_PATH, set to the build folder.
include(CMakePackageConfigHelpers)

export(TARGETS cmds tessel NAMESPACE cmds:: FILE ${PROJECT_BINARY_DIR}/cmdsTargets.cmake)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/cmdsConfig.cmake.in
    ${PROJECT_BINARY_DIR}/cmdsConfig.cmake
    INSTALL_DESTINATION ${PROJECT_BINARY_DIR}
    INSTALL_PREFIX ${PROJECT_BINARY_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmdsConfigVersion.cmake
    COMPATIBILITY ${CMDS_VERSION_COMPATIBILITY})
