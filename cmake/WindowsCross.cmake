# What a build for Windows from Linux needs besides the toolchain file: the build machine's
# header-only packages, GoogleTest built by the cross compiler, and Wine to run the programs, so
# that CTest runs the suite as it does natively.

# CLI11 and nlohmann_json are header-only, so the build machine's packages serve. They are
# reached through a root of their own that holds nothing else: their include folder is
# /usr/include, whose C headers must never come before MinGW's.
if(CMDS_BUILD_TOOLS)
    set(header_only_root ${PROJECT_BINARY_DIR}/header-only)
    foreach(path IN ITEMS include/CLI include/nlohmann share/cmake/CLI11 share/cmake/nlohmann_json)
        if(NOT EXISTS /usr/${path})
            message(FATAL_ERROR "/usr/${path} is missing: install libcli11-dev and "
                                "nlohmann-json3-dev, or configure with -DCMDS_BUILD_TOOLS=OFF")
        endif()
        get_filename_component(parent ${header_only_root}/usr/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK /usr/${path} ${header_only_root}/usr/${path} SYMBOLIC)
    endforeach()
    list(APPEND CMAKE_FIND_ROOT_PATH ${header_only_root})
endif()

if(NOT CMDS_BUILD_TESTS)
    return()
endif()

# GoogleTest from the sources Debian ships, built static by the cross compiler; find_package(GTest)
# then finds this build of it.
set(CMDS_GTEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources to build for the tests")
if(NOT EXISTS ${CMDS_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${CMDS_GTEST_SOURCE_DIR}: install googletest, "
                        "or set CMDS_GTEST_SOURCE_DIR")
endif()
function(cmds_add_googletest)
    set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
    set(BUILD_SHARED_LIBS OFF)
    set(BUILD_GMOCK OFF)
    set(INSTALL_GTEST OFF)
    include(FetchContent)
    FetchContent_Declare(GTest SOURCE_DIR ${CMDS_GTEST_SOURCE_DIR} OVERRIDE_FIND_PACKAGE)
    FetchContent_MakeAvailable(GTest)
endfunction()
cmds_add_googletest()

# Unless an emulator is given, every test program runs under Wine through a script that gives it
# a prefix of its own in the build folder, no display, no debug output and the MinGW runtime
# DLLs. Debian installs wine64 outside PATH.
if(CMAKE_CROSSCOMPILING_EMULATOR)
    return()
endif()
find_program(CMDS_WINE64 wine64 PATHS /usr/lib/wine)
if(CMDS_WINE64)
    get_filename_component(wine_dir ${CMDS_WINE64} DIRECTORY)
    find_program(CMDS_WINESERVER wineserver PATHS ${wine_dir} NO_DEFAULT_PATH)
endif()
if(NOT CMDS_WINE64 OR NOT CMDS_WINESERVER)
    message(FATAL_ERROR "The tests run under Wine: install wine64, or configure with "
                        "-DCMDS_BUILD_TESTS=OFF")
endif()

set(runtime_dirs)
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${dll_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    get_filename_component(dll_dir ${dll_path} DIRECTORY)
    list(APPEND runtime_dirs ${dll_dir})
endforeach()
list(REMOVE_DUPLICATES runtime_dirs)

set(CMDS_WINEPREFIX ${PROJECT_BINARY_DIR}/wine)
list(JOIN runtime_dirs ";" CMDS_MINGW_RUNTIME_PATH)
set(wine_run ${PROJECT_BINARY_DIR}/wine-run)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${wine_run} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                     WORLD_READ WORLD_EXECUTE)

# The prefix is made once here: test programs started at the same time on a missing prefix would
# each try to make it.
if(NOT EXISTS ${CMDS_WINEPREFIX}/system.reg)
    message(STATUS "Creating the Wine prefix ${CMDS_WINEPREFIX}")
    execute_process(COMMAND ${wine_run} wineboot --init
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${CMDS_WINEPREFIX}
        ${CMDS_WINESERVER} --wait)
    if(NOT EXISTS ${CMDS_WINEPREFIX}/system.reg)
        message(FATAL_ERROR "Wine could not create its prefix (${result}):\n${output}")
    endif()
endif()

set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_run})
