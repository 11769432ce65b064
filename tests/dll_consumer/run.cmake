# Installs the Windows build into a scratch prefix, builds the program in this folder against it
# with the same toolchain, and runs it under the emulator with the prefix's bin folder as the
# only place to find the library's DLLs.
set(prefix "${WORK_DIR}/prefix")
set(build "${WORK_DIR}/build")
file(REMOVE_RECURSE "${WORK_DIR}")

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGV}")
    endif()
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --config "${CONFIG}")
run(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${build}" -G "${GENERATOR}"
    "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE}" "-DCMAKE_BUILD_TYPE=${CONFIG}"
    "-Dcmds_DIR=${prefix}/lib/cmake/cmds")
run(${CMAKE_COMMAND} --build "${build}")
set(ENV{WINEPATH} "${prefix}/bin")
run(${EMULATOR} "${build}/dll_consumer.exe")
