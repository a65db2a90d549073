# The shipped program: a static GUI executable, PE32 (i686, the primary build) or PE32+ (x86_64).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QVX_ARCH win64)
  set(QVX_MANIFEST_ARCH amd64)
  set(QVX_ARCH_SUFFIX " (64位)")
  set(QVX_RELEASE_EXE quovix64.exe)
else()
  set(QVX_ARCH win32)
  set(QVX_MANIFEST_ARCH x86)
  set(QVX_ARCH_SUFFIX "")
  set(QVX_RELEASE_EXE quovix.exe)
endif()
target_compile_definitions(quovix_core PUBLIC UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601)
# No link time in the PE header: a release built twice from one commit is the same bytes.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)

file(GLOB_RECURSE QVX_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp widgets/win32/*.cpp)
add_library(quovix_win32 STATIC ${QVX_WIN32_SOURCES} ${CMAKE_SOURCE_DIR}/platform/text_mode.cpp)
# Only KnownDLLs and comctl32 (side by side, through the manifest) are imported; rasapi32,
# iphlpapi, secur32 and urlmon are bound at run time from the system folder
# (platform/win32/system_function.h), and tests/pe/check_imports.py holds the shipped programs
# to that.
target_link_libraries(quovix_win32 PUBLIC quovix_core
  comctl32 ws2_32 ole32 oleaut32 uuid taskschd shell32 advapi32 gdi32 user32)

enable_language(RC)
# The version resources, the manifest, the readme and the setup take the version from
# cmake/version.cmake; release.sh and installer.sh read it from version.env.
set(QVX_COMPANY "Quovix")
configure_file(${CMAKE_SOURCE_DIR}/res/README-Windows.txt.in ${CMAKE_BINARY_DIR}/res/README-Windows.txt @ONLY)
# The QVX_NEXT_ values are the release after this one, which the updater's tests install.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.env CONTENT
  "QVX_VERSION=${QVX_VERSION_DISPLAY}\nQVX_FILEVERSION=${QVX_VERSION_FILEVERSION_TEXT}\nQVX_NEXT_VERSION=${QVX_NEXT_VERSION_DISPLAY}\nQVX_NEXT_NUMBER=${QVX_NEXT_VERSION_NUMBER}\nQVX_NEXT_FILEVERSION=${QVX_NEXT_VERSION_FILEVERSION_TEXT}\n")
# A program NAME of the sources after FILE: its manifest from res/KIND.manifest.in, its version
# resource describing it as DESCRIPTION, released as FILE; the version fields are the caller's.
function(qvx_program name kind description file)
  set(QVX_MANIFEST_FILE ${CMAKE_BINARY_DIR}/res/${name}.manifest)
  set(QVX_PROGRAM_NAME ${kind})
  set(QVX_PROGRAM_DESCRIPTION "${description}")
  set(QVX_PROGRAM_FILE ${file})
  configure_file(${CMAKE_SOURCE_DIR}/res/${kind}.manifest.in ${QVX_MANIFEST_FILE} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/res/program.rc.in ${CMAKE_BINARY_DIR}/res/${name}.rc @ONLY)
  add_executable(${name} WIN32 ${ARGN} ${CMAKE_BINARY_DIR}/res/${name}.rc)
  set_source_files_properties(${CMAKE_BINARY_DIR}/res/${name}.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/quovix.ico;${QVX_MANIFEST_FILE}")
  target_link_libraries(${name} PRIVATE quovix_win32)
endfunction()

file(GLOB QVX_APP_SOURCES CONFIGURE_DEPENDS app/*.cpp)
# The client NAME of the version whose qvx_version_fields are under prefix, with EXTRA sources.
function(qvx_client name prefix)
  foreach(field DISPLAY FILEVERSION FILEVERSION_TEXT)
    set(QVX_VERSION_${field} "${${prefix}_${field}}")
  endforeach()
  qvx_program(${name} quovix "Quovix加速${QVX_ARCH_SUFFIX}" ${QVX_RELEASE_EXE} ${QVX_APP_SOURCES} ${ARGN})
endfunction()
if(QVX_APP_SOURCES)
  qvx_client(quovix QVX_VERSION)
  # Test only, never shipped: the same program as the release after this one, for the updater's
  # tests. Its own version object is linked before the libraries, so the linker never takes
  # quovix_version's from them.
  block()
    set(QVX_VERSION_DISPLAY ${QVX_NEXT_VERSION_DISPLAY})
    set(QVX_VERSION_NUMBER ${QVX_NEXT_VERSION_NUMBER})
    configure_file(${CMAKE_SOURCE_DIR}/cmake/quovix_version.cpp.in
      ${CMAKE_BINARY_DIR}/generated/quovix_version_next.cpp @ONLY)
  endblock()
  qvx_client(quovix_next QVX_NEXT_VERSION ${CMAKE_BINARY_DIR}/generated/quovix_version_next.cpp)
endif()

# The speed test the status window opens, and the updater the client starts for a newer
# version, shipped beside the program.
file(GLOB QVX_NETTEST_SOURCES CONFIGURE_DEPENDS nettest/win32/*.cpp)
qvx_program(nettest nettest "Quovix加速速度测试${QVX_ARCH_SUFFIX}" nettest.exe ${QVX_NETTEST_SOURCES})
file(GLOB QVX_UPDATE_SOURCES CONFIGURE_DEPENDS update/win32/*.cpp)
qvx_program(update update "Quovix加速更新程序${QVX_ARCH_SUFFIX}" update.exe ${QVX_UPDATE_SOURCES})

# Small test programs the Wine tests run; not shipped.
file(GLOB QVX_WINE_PROBES CONFIGURE_DEPENDS tests/wine/*.cpp)
foreach(probe IN LISTS QVX_WINE_PROBES)
  get_filename_component(name ${probe} NAME_WE)
  add_executable(${name} ${probe})
  target_link_libraries(${name} PRIVATE quovix_win32)
endforeach()
# The Authenticode probes: the certificate store and the trust provider.
foreach(probe IN ITEMS trust_cert trust_probe)
  if(TARGET ${probe})
    target_link_libraries(${probe} PRIVATE wintrust crypt32)
  endif()
endforeach()

# Loaded into the program by dpi_probe's window hook, to measure and re-scale its windows from
# inside; exported undecorated so the probe finds it by name on both architectures.
add_library(dpi_hook SHARED ${CMAKE_SOURCE_DIR}/tests/wine/dpi_hook/dpi_hook.cpp)
set_target_properties(dpi_hook PROPERTIES PREFIX "")
target_link_options(dpi_hook PRIVATE -Wl,--kill-at)
target_include_directories(dpi_hook PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dpi_hook PRIVATE user32 gdi32)

# Saved beside the program under system DLLs' names by test_planted_dlls.sh, which finds its
# marker file if the program loads it.
add_library(planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/wine/planted_dll/planted_dll.c)
set_target_properties(planted_dll PROPERTIES PREFIX "")

enable_testing()

# Peer tests: the native controls driven by window messages, run under Wine by
# tests/wine/test_peers.sh. GoogleTest is built from Debian's source package for this target.
file(GLOB QVX_PEER_TESTS CONFIGURE_DEPENDS tests/win32/*.cpp)
if(QVX_PEER_TESTS AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(peer_tests ${QVX_PEER_TESTS})
  target_link_libraries(peer_tests PRIVATE quovix_win32 GTest::gtest_main)
endif()

# The Win32 platform services, run under Wine by tests/wine/test_platform.sh.
file(GLOB QVX_PLATFORM_TESTS CONFIGURE_DEPENDS tests/win32/platform/*.cpp)
if(QVX_PLATFORM_TESTS AND TARGET GTest::gtest_main)
  add_executable(platform_tests ${QVX_PLATFORM_TESTS})
  target_link_libraries(platform_tests PRIVATE quovix_win32 GTest::gtest_main)
endif()
# The dialer against the rasapi32 test double, run under Wine by tests/wine/test_ras_dialer.sh.
file(GLOB QVX_RAS_TESTS CONFIGURE_DEPENDS tests/win32/ras/*.cpp)
if(QVX_RAS_TESTS AND TARGET GTest::gtest_main)
  add_executable(ras_dialer_tests ${QVX_RAS_TESTS})
  # The tests also call the double's functions directly.
  target_link_libraries(ras_dialer_tests PRIVATE quovix_win32 GTest::gtest_main rasapi32)
endif()
file(GLOB QVX_WINE_TESTS CONFIGURE_DEPENDS tests/wine/test_*.sh)
# A test's time limit stops a hung test; the 32-bit Wine may run through an i386 emulator,
# several times slower (tests/wine/lib.sh widens its waits alike).
set(qvx_wine_slow 1)
if(QVX_ARCH STREQUAL win32)
  set(qvx_wine_slow 3)
endif()
math(EXPR qvx_wine_timeout "400 * ${qvx_wine_slow}")
math(EXPR qvx_dpi_timeout "600 * ${qvx_wine_slow}")
foreach(script IN LISTS QVX_WINE_TESTS)
  get_filename_component(name ${script} NAME_WE)
  # A script that tests what both builds share says "# qvx-arch: win64" and runs in one pass;
  # every test registered must run: none is reported as skipped.
  file(STRINGS ${script} only_arch REGEX "^# qvx-arch: ")
  if(only_arch AND NOT only_arch STREQUAL "# qvx-arch: ${QVX_ARCH}")
    continue()
  endif()
  add_test(NAME wine_${name} COMMAND bash ${script})
  set_tests_properties(wine_${name} PROPERTIES LABELS wine TIMEOUT ${qvx_wine_timeout}
    ENVIRONMENT "QVX_ARCH=${QVX_ARCH};QVX_BUILD=${CMAKE_BINARY_DIR};QVX_NATIVE_BUILD=${QVX_NATIVE_BUILD_DIR};QVX_SOURCE=${CMAKE_SOURCE_DIR};QVX_DEMO_PORT=${QVX_DEMO_PORT}"
    RESOURCE_LOCK demo_port FIXTURES_REQUIRED wine_leftovers)
endforeach()
# Three starts and logins of the program, at three DPIs.
if(TEST wine_test_dpi_scaling)
  set_tests_properties(wine_test_dpi_scaling PROPERTIES TIMEOUT ${qvx_dpi_timeout})
endif()
# The soak of the real program: its own label, so that the Wine pass, which repeats a failed
# test, leaves it out, and scripts/test.sh runs it once, beside the native passes.
add_test(NAME wine_soak COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/soak.sh)
set_tests_properties(wine_soak PROPERTIES LABELS soak TIMEOUT 1500
  ENVIRONMENT "QVX_ARCH=${QVX_ARCH};QVX_BUILD=${CMAKE_BINARY_DIR};QVX_NATIVE_BUILD=${QVX_NATIVE_BUILD_DIR};QVX_SOURCE=${CMAKE_SOURCE_DIR};QVX_DEMO_PORT=${QVX_DEMO_PORT}"
  RESOURCE_LOCK demo_port)
# The shipped programs import no DLL that Windows would look for in their own folder; each
# build's pass checks its own (test_release.sh checks the setup).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME shipped_imports COMMAND ${Python3_EXECUTABLE}
  ${CMAKE_SOURCE_DIR}/tests/pe/check_imports.py ${CMAKE_SOURCE_DIR}/tests/pe/known_dlls_win7.txt
  $<TARGET_FILE:quovix> $<TARGET_FILE:nettest> $<TARGET_FILE:update>)

# After the Wine tests, stops what a test killed at its time-out left behind.
add_test(NAME wine_sweep COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/sweep.sh)
set_tests_properties(wine_sweep PROPERTIES LABELS wine FIXTURES_CLEANUP wine_leftovers
  ENVIRONMENT "QVX_ARCH=${QVX_ARCH};QVX_BUILD=${CMAKE_BINARY_DIR};QVX_SOURCE=${CMAKE_SOURCE_DIR}")

# Exercises the Wine test helpers themselves.
add_executable(harness_probe WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/harness_probe.c)

# The route files lie beside the program.
file(GLOB QVX_ROUTE_FILES ${CMAKE_SOURCE_DIR}/route/*.dat)
foreach(route_file IN LISTS QVX_ROUTE_FILES)
  get_filename_component(route_name ${route_file} NAME)
  configure_file(${route_file} ${CMAKE_BINARY_DIR}/route/${route_name} COPYONLY)
endforeach()

# The echo probe records its message boxes instead of showing them.
target_sources(ping_probe PRIVATE ${CMAKE_SOURCE_DIR}/widgets/headless/headless_ui.cpp)
