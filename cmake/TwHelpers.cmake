# tw_add_library(NAME DIR <folder> [EXCLUDE <regex>] LIBS <libs...>)
# A static library of every .cpp/.h in the folder (not below it). Several
# people work in one folder at once, so the file list is globbed.
function(tw_add_library name)
    cmake_parse_arguments(ARG "" "DIR;EXCLUDE" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h ${ARG_DIR}/*.ui)
    if(ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
    endif()
    set(cpp_sources ${sources})
    list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
    if(NOT cpp_sources)
        # Nothing written here yet: keep the target so its users still configure.
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE tw_options ${ARG_LIBS})
        target_include_directories(${name} INTERFACE ${ARG_DIR})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC tw_options ${ARG_LIBS})
    target_include_directories(${name} PUBLIC ${ARG_DIR})
endfunction()

# tw_add_tests(LABEL <label> DIR <folder> LIBS <libs...>)
# One Qt Test executable per tst_*.cpp in the folder, each registered with CTest.
function(tw_add_tests)
    cmake_parse_arguments(ARG "" "LABEL;DIR" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${ARG_DIR}/tst_*.cpp)
    foreach(test_source ${tests})
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
