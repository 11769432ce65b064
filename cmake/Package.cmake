# `cpack` in the build folder makes Debian packages: the runtime package, named after the SONAME
# as Debian names library packages, the development package and the package of the cmds tool.
# Configured with the prefix /usr (the package preset), the libraries go to the multiarch folder.
set(CMDS_PACKAGE_MAINTAINER "libcmds maintainers <maintainers@libcmds.example.org>"
    CACHE STRING "Maintainer field of the Debian packages: a name and an address in <>")
set(CMDS_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the packages")

set(cmds_runtime_package "libcmds${CMDS_SOVERSION}")
set(cmds_debian_version "${PROJECT_VERSION}-${CMDS_PACKAGE_RELEASE}")

# The changelog is kept by hand, one entry per release; a release without an entry would ship a
# package whose changelog does not name it.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog cmds_changelog_top LIMIT_COUNT 1)
if(NOT cmds_changelog_top MATCHES "^libcmds \\(${cmds_debian_version}\\) ")
    message(WARNING "cmake/debian/changelog has no entry for ${cmds_debian_version} at its top: "
                    "the Debian packages will not pass lintian until one is added")
endif()

# Debian wants changelogs and manual pages compressed with gzip -9n (no name, no time stamp).
find_program(CMDS_GZIP gzip REQUIRED)
set(cmds_docs_dir ${PROJECT_BINARY_DIR}/debian)
add_custom_command(OUTPUT ${cmds_docs_dir}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
        ${cmds_docs_dir}/changelog.Debian
    COMMAND ${CMDS_GZIP} -9nf ${cmds_docs_dir}/changelog.Debian
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
    VERBATIM)
set(cmds_package_docs ${cmds_docs_dir}/changelog.Debian.gz)
if(TARGET cmds_tool)
    add_custom_command(OUTPUT ${cmds_docs_dir}/cmds.1.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/cmds.1 ${cmds_docs_dir}/cmds.1
        COMMAND ${CMDS_GZIP} -9nf ${cmds_docs_dir}/cmds.1
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/cmds.1
        VERBATIM)
    list(APPEND cmds_package_docs ${cmds_docs_dir}/cmds.1.gz)
    install(FILES ${cmds_docs_dir}/cmds.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT tool)
endif()
add_custom_target(cmds_package_docs ALL DEPENDS ${cmds_package_docs})

set(cmds_description "The cmds command language carries the requests and replies of a file-sharing
protocol. This library writes its commands onto output streams and reads them
back from character sources, checking their grammar and handing the values to
callback interfaces.")

set(cmds_components runtime development)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${cmds_runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "writer and reader of the cmds command language
${cmds_description}

This package holds the shared libraries: the library and its default support
functions.")
# The loader's cache is refreshed once per dpkg run that changes libraries.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libcmds-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "writer and reader of the cmds command language - development files
${cmds_description}

This package holds the headers, the CMake package and the pkg-config files.")

if(TARGET cmds_tool)
    list(APPEND cmds_components tool)
    set(CPACK_DEBIAN_TOOL_PACKAGE_NAME cmds)
    set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
    set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
    set(CPACK_COMPONENT_TOOL_DESCRIPTION
        "decode, encode and check commands of the cmds command language
The cmds command language carries the requests and replies of a file-sharing
protocol. The cmds program prints commands as JSON lines, writes commands from
such lines and checks that a text holds well-formed commands.")
endif()

foreach(component IN LISTS cmds_components)
    string(TOUPPER ${component} upper)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${cmds_docs_dir}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
        COMPONENT ${component}
        EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME libcmds)
set(CPACK_PACKAGE_VENDOR libcmds)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${CMDS_PACKAGE_MAINTAINER})
# CPack puts any other summary before each component's description; here every package names its
# own summary on the first line of its description.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_COMPONENTS_ALL ${cmds_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMDS_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE libcmds)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# A program built against this version runs with any later release of the same SONAME.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The packaged binaries carry no symbols; the build folder keeps the unstripped ones. (The -dbgsym
# packages that CPack can make list their files by build paths and fail lintian.)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps looks for the libraries that the packaged binaries need, these two included,
# in one folder of the build (it takes no list of folders here).
set_target_properties(cmds tessel PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
include(CPack)
