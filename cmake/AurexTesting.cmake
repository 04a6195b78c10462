# Test helpers: one executable per class or tight group, registered with CTest.
# GUI tests run on the offscreen platform; every test gets a timeout so a hang fails.

find_package(GTest REQUIRED)

set(AUREX_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
# Every test's timeout in percent of the one its folder sets: lower it where a hanging test
# should fail sooner (a mutation run, a quick check), raise it on a slow machine.
set(AUREX_TEST_TIMEOUT_PERCENT 100 CACHE STRING "Test timeouts, in percent of their own")

function(_aurex_register_test name timeout)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT timeout)
        set(timeout 300)
    endif()
    math(EXPR timeout "(${timeout} * ${AUREX_TEST_TIMEOUT_PERCENT} + 99) / 100")
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${AUREX_TEST_ENVIRONMENT}"
        TIMEOUT ${timeout})
endfunction()

# aurex_add_qtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
function(aurex_add_qtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    _aurex_register_test(${name} "${T_TIMEOUT}")
endfunction()

# aurex_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
function(aurex_add_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    _aurex_register_test(${name} "${T_TIMEOUT}")
endfunction()

# aurex_add_bench(<name> SOURCES <files...> [LIBS <targets...>]): an executable under bench/
# that prints its own timings beside a baseline measured in the same run.
function(aurex_add_bench name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS})
    # What several benchmarks set up alike.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench/common)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
