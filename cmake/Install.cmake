# Install rules in three components, one Debian package each (cmake/Package.cmake): runtime, the
# shared libraries; development, the headers, the unversioned library links, static libraries,
# the CMake package and the pkg-config files; tool, the cmds program (tools/CMakeLists.txt).
include(CMakePackageConfigHelpers)

set(CMDS_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/cmds")

# Installed outside the system's library folders, the library finds its support library beside
# it; the loader does not search a program's own run path for the libraries' dependencies.
if(NOT CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
    set_target_properties(cmds PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS cmds tessel
    EXPORT cmdsTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        # Shared libraries are mapped by the loader, never run.
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT runtime
        NAMELINK_COMPONENT development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development
    FILE_SET generated_headers DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(EXPORT cmdsTargets
    NAMESPACE cmds::
    DESTINATION ${CMDS_CMAKE_DIR}
    COMPONENT development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/cmdsConfig.cmake.in
    ${PROJECT_BINARY_DIR}/install/cmdsConfig.cmake
    INSTALL_DESTINATION ${CMDS_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmdsConfigVersion.cmake
    COMPATIBILITY ${CMDS_VERSION_COMPATIBILITY})
install(FILES ${PROJECT_BINARY_DIR}/install/cmdsConfig.cmake
    ${PROJECT_BINARY_DIR}/cmdsConfigVersion.cmake
    DESTINATION ${CMDS_CMAKE_DIR}
    COMPONENT development)

# pkg-config files that find the prefix from their own place, so an unpacked tree works too. A
# static build names its macro for the compiler and its private dependencies for the linker.
file(RELATIVE_PATH PC_PREFIX_FROM_PCDIR
    "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
if(BUILD_SHARED_LIBS)
    set(PC_CMDS_CFLAGS "")
    set(PC_TESSEL_CFLAGS "")
else()
    set(PC_CMDS_CFLAGS " -DCMDS_STATIC")
    set(PC_TESSEL_CFLAGS " -DTESSEL_STATIC")
endif()
foreach(pc cmds cmds-tessel)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)
endforeach()

include(cmake/Package.cmake)
