# Builds the .deb with CPack, unpacks it into a scratch root as an installation would, then
# builds and runs the outside project against it twice: through the CMake package and through
# pkg-config.
set(root "${WORK_DIR}/root")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGV}\n${output}")
    endif()
endfunction()

run(${CMAKE_CPACK_COMMAND} -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -C "${CONFIG}"
    -B "${WORK_DIR}/package")
file(GLOB debs "${WORK_DIR}/package/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb, found: ${debs}")
endif()
run(dpkg-deb -x "${debs}" "${root}")

run(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${WORK_DIR}/cmake-build" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${root}/usr" "-DCMAKE_BUILD_TYPE=${CONFIG}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK_DIR}/cmake-build")
run("${WORK_DIR}/cmake-build/consumer")

file(GLOB_RECURSE pc_files "${root}/*/cmds.pc")
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
execute_process(COMMAND pkg-config --cflags --libs cmds cmds-tessel
    OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know the unpacked package")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")
run(${CXX_COMPILER} -std=c++17 ${extra_flags} "${CONSUMER_DIR}/main.cpp" ${pc_flags}
    -o "${WORK_DIR}/pkg-config-consumer")
set(ENV{LD_LIBRARY_PATH} "${pc_dir}/..")
run("${WORK_DIR}/pkg-config-consumer")
