file(GLOB_RECURSE QVX_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp widgets/headless/*.cpp)
list(FILTER QVX_SIM_SOURCES EXCLUDE REGEX "/sim/model/")
add_library(quovix_sim STATIC ${QVX_SIM_SOURCES})
# The simulated machine downloads over real HTTP (cpp-httplib, Debian libcpp-httplib-dev). Under
# ThreadSanitizer the library is compiled from its single header with our code, instrumented
# like it (scripts/httplib_source.sh puts it in place): the system's shared build is not, and
# TSan would take its threads' hand-overs for races.
if(QVX_TSAN)
  set(QVX_HTTPLIB_SOURCE /usr/local/src/qvx-httplib CACHE PATH "cpp-httplib's single header")
  if(NOT EXISTS ${QVX_HTTPLIB_SOURCE}/httplib.h)
    message(FATAL_ERROR "no ${QVX_HTTPLIB_SOURCE}/httplib.h: scripts/setup.sh puts it there")
  endif()
  add_library(qvx_httplib INTERFACE)
  target_include_directories(qvx_httplib SYSTEM BEFORE INTERFACE ${QVX_HTTPLIB_SOURCE})
  target_link_libraries(qvx_httplib INTERFACE Threads::Threads)
  add_library(PkgConfig::CPP_HTTPLIB ALIAS qvx_httplib)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
target_link_libraries(quovix_sim PUBLIC quovix_core PkgConfig::CPP_HTTPLIB windows_model)

find_package(GTest REQUIRED)
include(GoogleTest)
enable_testing()

# One GoogleTest program from the sources in tests/<folder>, its tests labelled <label>.
function(qvx_test_program name folder label main)
  file(GLOB sources CONFIGURE_DEPENDS tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE quovix_sim ${main})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
endfunction()

qvx_test_program(unit_tests unit unit GTest::gtest_main)
# The machine profiles the unit and scenario tests load.
target_compile_definitions(unit_tests PRIVATE QVX_PROFILES_DIR="${CMAKE_SOURCE_DIR}/tests/profiles")
target_compile_definitions(unit_tests PRIVATE QVX_INSTALLER_DIR="${CMAKE_SOURCE_DIR}/installer")
qvx_test_program(scenario_tests scenario scenario GTest::gtest_main)
target_compile_definitions(scenario_tests PRIVATE QVX_PROFILES_DIR="${CMAKE_SOURCE_DIR}/tests/profiles")
# The title and the number compared with the service follow the project version.
target_compile_definitions(scenario_tests PRIVATE QVX_PROJECT_VERSION="${PROJECT_VERSION}")
# The soak: thousands of cycles under the sanitizers' eyes (run in the asan pass only).
qvx_test_program(soak_tests soak soak GTest::gtest)

file(GLOB QVX_BENCHES CONFIGURE_DEPENDS tests/bench/*.cpp)
find_package(benchmark QUIET)
if(QVX_BENCHES AND benchmark_FOUND)
  add_executable(benchmarks ${QVX_BENCHES})
  target_link_libraries(benchmarks PRIVATE quovix_sim benchmark::benchmark benchmark::benchmark_main)
  add_test(NAME benchmarks COMMAND benchmarks --benchmark_min_time=0.01)
  set_tests_properties(benchmarks PROPERTIES LABELS bench)
endif()

# The count line of scripts/test.sh, over a CTest project of its own; once, in the plain pass.
add_test(NAME test_counts COMMAND bash ${CMAKE_SOURCE_DIR}/tests/harness/test_counts.sh)
set_tests_properties(test_counts PROPERTIES LABELS harness)

# The project version's mapping to the shown version, the service's number and the file version.
add_test(NAME version_mapping COMMAND ${CMAKE_COMMAND} -DQVX_SOURCE=${CMAKE_SOURCE_DIR}
  -P ${CMAKE_SOURCE_DIR}/tests/harness/version_mapping.cmake)
set_tests_properties(version_mapping PROPERTIES LABELS harness)
# The release after a project version, which the updater's tests install.
add_test(NAME version_next COMMAND ${CMAKE_COMMAND} -DQVX_SOURCE=${CMAKE_SOURCE_DIR}
  -P ${CMAKE_SOURCE_DIR}/tests/harness/version_next.cmake)
set_tests_properties(version_next PROPERTIES LABELS harness)

# The signing script against time-stamp servers on loopback.
add_test(NAME sign_script COMMAND bash ${CMAKE_SOURCE_DIR}/tests/harness/sign_test.sh)
set_tests_properties(sign_script PROPERTIES LABELS harness)
