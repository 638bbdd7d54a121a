# Helpers that every layer uses to declare its targets.
#
#   parvex_library(NAME SOURCES ... [DEPS ...] [QT])
#     A static library px_<NAME>; headers are included as "<dir>/file.h" from src/.
#   parvex_executable(NAME SOURCES ... [DEPS ...])
#     An executable that lands in build/bin.
#   parvex_test(NAME SOURCES ... [DEPS ...] [LABELS ...] [TIMEOUT s] [GUI])
#     A GoogleTest binary; each test case becomes a CTest test carrying LABELS.
#     GUI: a window test, run in one QApplication (tests/support/gui_test_main.cpp).
#   parvex_benchmark(NAME SOURCES ... [DEPS ...])
#     A Google Benchmark binary (built, not run by the test script).

set(PARVEX_SRC_DIR ${CMAKE_CURRENT_LIST_DIR}/../src)

function(parvex_target_defaults target)
    target_compile_options(${target} PRIVATE ${PARVEX_WARNINGS})
    target_include_directories(${target} PUBLIC ${PARVEX_SRC_DIR})
endfunction()

function(parvex_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(px_${name} STATIC ${ARG_SOURCES})
    parvex_target_defaults(px_${name})
    if(ARG_DEPS)
        target_link_libraries(px_${name} PUBLIC ${ARG_DEPS})
    endif()
endfunction()

function(parvex_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    parvex_target_defaults(${name})
    if(ARG_DEPS)
        target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    endif()
endfunction()

function(parvex_test name)
    cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_sources(${name} PRIVATE $<TARGET_OBJECTS:px_gui_test_main>)
        target_link_libraries(${name} PRIVATE Qt6::Widgets)
    endif()
    parvex_target_defaults(${name})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PARVEX_SRC_DIR}/../tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    # The test binaries find the test data, sources and programs through
    # PARVEX_TESTDATA, PARVEX_SOURCE_DIR and PARVEX_BIN_DIR (tests/support).
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:px_test_environment>)
    set(props TIMEOUT ${ARG_TIMEOUT})
    if(ARG_LABELS)
        # Escaped, so that a second label stays a label and does not become
        # the name of a property on the way to the discovered tests.
        string(REPLACE ";" "\\;" labels "${ARG_LABELS}")
        list(APPEND props LABELS "${labels}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ${props})
endfunction()

function(parvex_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    parvex_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
