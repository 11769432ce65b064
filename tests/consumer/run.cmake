# Builds and runs the outside project in this folder against cmds in one of five ways, then,
# where the way installs files, links its programs through pkg-config with the libraries named
# in either order. MODE is one of:
#   installed     BUILD_DIR installed into a scratch prefix
#   static        the checkout built as static libraries and installed into a scratch prefix
#   build-tree    the package that BUILD_DIR exports, without installing
#   subdirectory  the checkout added to the outside project with add_subdirectory
#   packages      the Debian packages of the package preset, checked with lintian and unpacked
#                 into a scratch root
# The outside project is built with the same compiler and flags, so that sanitizer builds link.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")

function(run)
    cmake_parse_arguments(PARSE_ARGV 0 run "" "WORKING_DIRECTORY;OUTPUT" "")
    if(NOT run_WORKING_DIRECTORY)
        set(run_WORKING_DIRECTORY "${WORK_DIR}")
    endif()
    execute_process(COMMAND ${run_UNPARSED_ARGUMENTS}
        WORKING_DIRECTORY "${run_WORKING_DIRECTORY}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${run_UNPARSED_ARGUMENTS}\n${output}")
    endif()
    if(run_OUTPUT)
        set(${run_OUTPUT} "${output}" PARENT_SCOPE)
    endif()
endfunction()

# Configures, builds and tests the outside project with the given cache settings.
function(consume name)
    set(build "${WORK_DIR}/${name}")
    run(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${build}" -G "${GENERATOR}"
        "-DCMAKE_BUILD_TYPE=${CONFIG}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" ${ARGN})
    run(${CMAKE_COMMAND} --build "${build}" -j 2)
    run(${CMAKE_CTEST_COMMAND} --test-dir "${build}" --output-on-failure --no-tests=error)
endfunction()

# Links a program of the outside project by hand and runs it.
function(link_and_run name)
    run(${CXX_COMPILER} -std=c++17 ${extra_flags} ${ARGN} -o "${WORK_DIR}/${name}")
    run("${WORK_DIR}/${name}")
endfunction()

# pkg-config in both orders, and a host's own support functions: its ConvertUnicodeToUTF8 beside
# the default support library, and all five of its own with the library alone on the link line.
function(check_pkg_config libdir static)
    set(ENV{PKG_CONFIG_PATH} "${libdir}/pkgconfig")
    set(mode "")
    if(static)
        set(mode --static)
    endif()
    set(rpath "-Wl,-rpath,${libdir}")
    foreach(order IN ITEMS "cmds;cmds-tessel" "cmds-tessel;cmds")
        run(pkg-config ${mode} --cflags --libs ${order} OUTPUT flags)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        string(REPLACE ";" "_" suffix "${order}")
        link_and_run(plain_${suffix} "${CONSUMER_DIR}/main.cpp" ${flags} ${rpath})
        link_and_run(own_utf8_${suffix} "${CONSUMER_DIR}/own_utf8_main.cpp"
            "${CONSUMER_DIR}/own_utf8.cpp" ${flags} ${rpath})
    endforeach()
    run(pkg-config ${mode} --cflags cmds OUTPUT cflags)
    separate_arguments(cflags UNIX_COMMAND "${cflags}")
    link_and_run(own_support "${CONSUMER_DIR}/own_utf8_main.cpp" "${CONSUMER_DIR}/own_utf8.cpp"
        "${CONSUMER_DIR}/own_support.cpp" ${cflags} "-L${libdir}" -lcmds ${rpath})
endfunction()

function(check_installed prefix static)
    consume(cmake "-DCMAKE_PREFIX_PATH=${prefix}")
    file(GLOB_RECURSE pc_file "${prefix}/*/cmds.pc")
    get_filename_component(pc_dir "${pc_file}" DIRECTORY)
    get_filename_component(libdir "${pc_dir}" DIRECTORY)
    check_pkg_config("${libdir}" ${static})
endfunction()

# The field of a package's control file.
function(control_field deb field variable)
    run(dpkg-deb --field "${deb}" ${field} OUTPUT value)
    string(STRIP "${value}" value)
    set(${variable} "${value}" PARENT_SCOPE)
endfunction()

function(check_packages)
    set(build "${WORK_DIR}/build")
    run(${CMAKE_COMMAND} --preset package -S "${SOURCE_DIR}" -B "${build}"
        WORKING_DIRECTORY "${SOURCE_DIR}")
    run(${CMAKE_COMMAND} --build "${build}" -j 2)
    run(${CMAKE_CPACK_COMMAND} --config "${build}/CPackConfig.cmake" -B "${WORK_DIR}/packages"
        WORKING_DIRECTORY "${build}")

    set(runtime_name "libcmds${SOVERSION}")
    set(name_runtime "${runtime_name}")
    set(name_development libcmds-dev)
    set(name_tool cmds)
    foreach(package IN ITEMS runtime development tool)
        file(GLOB ${package} "${WORK_DIR}/packages/${name_${package}}_*.deb")
        if(NOT ${package})
            message(FATAL_ERROR "no package ${name_${package}} among the packages made")
        endif()
    endforeach()
    file(GLOB debs "${WORK_DIR}/packages/*.deb")

    # Errors fail the test; the warnings stay in its output.
    execute_process(COMMAND lintian --fail-on error --tag-display-limit 0 ${debs}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    message(STATUS "lintian:\n${output}")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lintian failed (${result})")
    endif()

    control_field("${runtime}" Version version)
    control_field("${development}" Depends depends)
    if(NOT depends MATCHES "(^|, )${runtime_name} \\(= ${version}\\)")
        message(FATAL_ERROR "libcmds-dev does not depend on ${runtime_name} ${version}: ${depends}")
    endif()
    control_field("${runtime}" Depends depends)
    if(NOT depends MATCHES "libc6" OR NOT depends MATCHES "libssl")
        message(FATAL_ERROR "${runtime_name} lacks its computed dependencies: ${depends}")
    endif()

    set(root "${WORK_DIR}/root")
    foreach(deb IN LISTS debs)
        run(dpkg-deb --extract "${deb}" "${root}")
    endforeach()
    set(libdir "${root}/usr/lib/${LIBRARY_ARCHITECTURE}")
    foreach(library IN ITEMS libcmds libcmds-tessel)
        if(NOT EXISTS "${libdir}/${library}.so.${SOVERSION}")
            message(FATAL_ERROR "${library}.so.${SOVERSION} is not in ${libdir}")
        endif()
    endforeach()
    # The packages install into the system's library folder, which the loader searches itself.
    set(ENV{LD_LIBRARY_PATH} "${libdir}")
    run("${root}/usr/bin/cmds" --version OUTPUT tool_version)
    if(NOT tool_version STREQUAL "cmds ${VERSION}\n")
        message(FATAL_ERROR "cmds --version printed: ${tool_version}")
    endif()
    check_installed("${root}/usr" OFF)
endfunction()

if(MODE STREQUAL "installed")
    run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${WORK_DIR}/prefix" --config "${CONFIG}")
    check_installed("${WORK_DIR}/prefix" OFF)
elseif(MODE STREQUAL "static")
    run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}/library" -G "${GENERATOR}"
        "-DCMAKE_BUILD_TYPE=${CONFIG}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" -DBUILD_SHARED_LIBS=OFF -DCMDS_INSTALL=ON
        -DCMDS_BUILD_TESTS=OFF -DCMDS_BUILD_EXAMPLES=OFF -DCMDS_BUILD_TOOLS=OFF)
    run(${CMAKE_COMMAND} --build "${WORK_DIR}/library" -j 2)
    run(${CMAKE_COMMAND} --install "${WORK_DIR}/library" --prefix "${WORK_DIR}/prefix")
    check_installed("${WORK_DIR}/prefix" ON)
elseif(MODE STREQUAL "build-tree")
    consume(cmake "-Dcmds_DIR=${BUILD_DIR}")
elseif(MODE STREQUAL "subdirectory")
    consume(cmake "-DCMDS_SOURCE_DIR=${SOURCE_DIR}")
elseif(MODE STREQUAL "packages")
    check_packages()
else()
    message(FATAL_ERROR "unknown MODE '${MODE}'")
endif()
