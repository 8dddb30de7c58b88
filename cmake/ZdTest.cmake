# zd_add_gtest(<name> [CORE] SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose main() comes from testsupport: an offscreen QApplication,
# or with CORE a QCoreApplication for tests of libraries below the windows.
# Nothing is built when BUILD_TESTING is off.
function(zd_add_gtest name)
    if(NOT BUILD_TESTING)
        return()
    endif()
    cmake_parse_arguments(ARG "CORE" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_CORE)
        target_link_libraries(${name} PRIVATE zd_testmain_core ${ARG_LIBS})
    else()
        target_link_libraries(${name} PRIVATE zd_testmain ${ARG_LIBS})
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
