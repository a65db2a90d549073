file(GLOB_RECURSE QVX_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp widgets/headless/*.cpp)
add_library(quovix_sim STATIC ${QVX_SIM_SOURCES})
# The simulated machine downloads over real HTTP (cpp-httplib, Debian libcpp-httplib-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(quovix_sim PUBLIC quovix_core PkgConfig::CPP_HTTPLIB)

find_package(GTest REQUIRED)
include(GoogleTest)
enable_testing()

file(GLOB QVX_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${QVX_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE quovix_sim GTest::gtest_main)
gtest_discover_tests(unit_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)

file(GLOB QVX_SCENARIO_TESTS CONFIGURE_DEPENDS tests/scenario/*.cpp)
if(QVX_SCENARIO_TESTS)
  add_executable(scenario_tests ${QVX_SCENARIO_TESTS})
  target_link_libraries(scenario_tests PRIVATE quovix_sim GTest::gtest_main)
  target_include_directories(scenario_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(scenario_tests PROPERTIES LABELS scenario DISCOVERY_TIMEOUT 60)
endif()

file(GLOB QVX_BENCHES CONFIGURE_DEPENDS tests/bench/*.cpp)
find_package(benchmark QUIET)
if(QVX_BENCHES AND benchmark_FOUND)
  add_executable(benchmarks ${QVX_BENCHES})
  target_link_libraries(benchmarks PRIVATE quovix_sim benchmark::benchmark benchmark::benchmark_main)
  add_test(NAME benchmarks COMMAND benchmarks --benchmark_min_time=0.01)
  set_tests_properties(benchmarks PROPERTIES LABELS bench)
endif()

# The scenario tests talk real HTTP to an in-process service.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
if(TARGET scenario_tests)
  target_link_libraries(scenario_tests PRIVATE PkgConfig::HTTPLIB)
endif()
