# Tests that build the outside project in tests/consumer against this build, one per way a host
# gets the library (tests/consumer/run.cmake). Labelled install: each takes seconds, builds a
# project of its own and, for some, the library again.
set(cmds_consumer_modes build-tree subdirectory)
if(CMDS_INSTALL)
    list(APPEND cmds_consumer_modes installed static packages)
endif()
foreach(mode IN LISTS cmds_consumer_modes)
    add_test(NAME consumer.${mode}
        COMMAND ${CMAKE_COMMAND}
            -DMODE=${mode}
            -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DBUILD_DIR=${PROJECT_BINARY_DIR}
            -DCONSUMER_DIR=${CMAKE_CURRENT_LIST_DIR}
            -DWORK_DIR=${PROJECT_BINARY_DIR}/consumer/${mode}
            -DGENERATOR=${CMAKE_GENERATOR}
            -DCONFIG=$<CONFIG>
            -DCXX_COMPILER=${CMAKE_CXX_COMPILER}
            "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
            -DLIBRARY_ARCHITECTURE=${CMAKE_LIBRARY_ARCHITECTURE}
            -DSOVERSION=${CMDS_SOVERSION}
            -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_DIR}/run.cmake)
    set_tests_properties(consumer.${mode} PROPERTIES LABELS install TIMEOUT 900)
endforeach()
# Making and checking the packages takes a build of its own and lintian: once per CI run is enough.
if(CMDS_INSTALL)
    set_tests_properties(consumer.packages PROPERTIES LABELS "install;package")
endif()
