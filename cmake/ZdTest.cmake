# zd_add_gtest(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose main() comes from testsupport (offscreen QApplication).
function(zd_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zd_testmain ${ARG_LIBS})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
