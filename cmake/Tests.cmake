find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE WIRELACE_TEST_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/tests/*.cpp")
list(SORT WIRELACE_TEST_SOURCES)

add_executable(wirelace_tests ${WIRELACE_TEST_SOURCES})
target_include_directories(wirelace_tests PRIVATE "${CMAKE_SOURCE_DIR}/tests")
target_compile_options(wirelace_tests PRIVATE ${WIRELACE_WARNING_FLAGS})
target_compile_definitions(wirelace_tests PRIVATE
    WIRELACE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    WIRELACE_BINARY_DIR="${CMAKE_BINARY_DIR}"
    WIRELACE_APP_PATH="$<TARGET_FILE:Wirelace>")
target_link_libraries(wirelace_tests PRIVATE wirelace_core GTest::gtest)
add_dependencies(wirelace_tests Wirelace)

# Discovery runs when ctest runs (under Xvfb), not at build time.
gtest_discover_tests(wirelace_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 300)
