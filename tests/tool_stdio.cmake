# Runs the cmds program itself: its standard input and output carry command text byte for byte,
# as its files do, so that no platform turns CR LF into LF or the reverse.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

execute_process(COMMAND ${EMULATOR} "${TOOL}" demo --text
    OUTPUT_FILE "${WORK_DIR}/demo.txt" RESULT_VARIABLE result)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${EXCHANGE}" "${WORK_DIR}/demo.txt"
    RESULT_VARIABLE differs)
if(NOT result EQUAL 0 OR differs)
    message(FATAL_ERROR "cmds demo --text (${result}) did not write the bytes of ${EXCHANGE}")
endif()

# The fault's byte offset counts every CR before it, which a text-mode input would drop.
file(READ "${EXCHANGE}" exchange)
set(input "${WORK_DIR}/broken.txt")
file(WRITE "${input}" "${exchange}CONNECT OUTPUT \r\n\terror:0,file:x;")
execute_process(COMMAND ${EMULATOR} "${TOOL}" check "${input}"
    RESULT_VARIABLE from_file_result ERROR_VARIABLE from_file)
execute_process(COMMAND ${EMULATOR} "${TOOL}" check
    INPUT_FILE "${input}" RESULT_VARIABLE from_stdin_result ERROR_VARIABLE from_stdin)
string(REPLACE "${input}" "<stdin>" from_file "${from_file}")
# AddressSanitizer warns once per process that it follows the push reader's stack switches only
# in part; the warning is no output of the tool's.
foreach(output from_file from_stdin)
    string(REGEX REPLACE "==[0-9]+==WARNING: ASan doesn't fully support makecontext/swapcontext\n?[^\n]*\n" ""
        ${output} "${${output}}")
endforeach()
if(NOT from_file_result EQUAL 1 OR NOT from_stdin_result EQUAL 1 OR
   NOT from_stdin STREQUAL from_file)
    message(FATAL_ERROR "cmds check read standard input (${from_stdin_result}) otherwise than "
                        "a file (${from_file_result}):\n${from_stdin}\n${from_file}")
endif()
