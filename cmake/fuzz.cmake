# One libFuzzer program per parser, tests/fuzz/fuzz_<parser>.cpp, over the real parsing code
# and the simulated machine. scripts/fuzz.sh builds and runs them.
file(GLOB QVX_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp platform/sim/model/*.cpp)
add_library(quovix_sim STATIC ${QVX_SIM_SOURCES})
find_package(PkgConfig REQUIRED)
pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(quovix_sim PUBLIC quovix_core PkgConfig::CPP_HTTPLIB)

file(GLOB QVX_FUZZERS CONFIGURE_DEPENDS tests/fuzz/fuzz_*.cpp)
foreach(source IN LISTS QVX_FUZZERS)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE quovix_sim)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
