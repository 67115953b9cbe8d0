# tw_add_library(NAME SOURCES <files...> [PUBLIC <libs...>] [PRIVATE <libs...>])
# A static library. Headers are included from the project root
# ("engine/scanengine.h"), so a library only exports what its own headers
# need (PUBLIC) and keeps the rest to itself (PRIVATE).
function(tw_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC tw_options ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# tw_add_tests(LABEL <label> TESTS <tst_*.cpp...> LIBS <libs...>)
# One Qt Test executable per source, each registered with CTest.
function(tw_add_tests)
    cmake_parse_arguments(ARG "" "LABEL" "TESTS;LIBS" ${ARGN})
    foreach(test_source ${ARG_TESTS})
        get_filename_component(test_name ${test_source} NAME_WE)
        add_executable(${test_name} ${test_source})
        target_link_libraries(${test_name} PRIVATE tw_options tw_testsupport Qt5::Test ${ARG_LIBS})
        add_test(NAME ${test_name} COMMAND ${test_name})
        set_tests_properties(${test_name} PROPERTIES
            LABELS ${ARG_LABEL}
            TIMEOUT 300
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()
endfunction()
