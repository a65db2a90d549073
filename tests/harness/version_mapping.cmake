# The project version's mapping (cmake/version.cmake), over versions the release line may take:
#   cmake -DQVX_SOURCE=... -P version_mapping.cmake
include(${QVX_SOURCE}/cmake/version.cmake)

set(failures "")
# VERSION, then the number the service compares, then the file version.
foreach(row IN ITEMS "2.43|2430|2.4.3.0" "2.05|2050|2.0.5.0" "2.50|2500|2.5.0.0" "3.00|3000|3.0.0.0"
                     "2.43.1|2431|2.4.3.1" "9.99.9|9999|9.9.9.9")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 version)
  list(GET row 1 number)
  list(GET row 2 fileversion)
  qvx_version_fields("${version}" v)
  if(NOT v_DISPLAY STREQUAL version OR NOT v_NUMBER STREQUAL number OR
     NOT v_FILEVERSION_TEXT STREQUAL fileversion)
    string(APPEND failures "\n${version}: '${v_DISPLAY}' '${v_NUMBER}' '${v_FILEVERSION_TEXT}'")
  endif()
  string(REPLACE "." ", " resource "${fileversion}")
  if(NOT v_FILEVERSION STREQUAL resource)
    string(APPEND failures "\n${version}: resource version '${v_FILEVERSION}'")
  endif()
endforeach()

# Versions that would not stay four digits, or whose minor is ambiguous, stop the configure.
foreach(version IN ITEMS "2.5" "2.5.1" "10.43" "0.43" "2.430" "2.43.10" "2" "2.43.1.0" "v2.43")
  execute_process(COMMAND ${CMAKE_COMMAND} -DQVX_SOURCE=${QVX_SOURCE} -DVERSION=${version}
    -P ${CMAKE_CURRENT_LIST_DIR}/version_one.cmake RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(rc EQUAL 0 OR NOT err MATCHES "is not MAJOR.MM")
    string(APPEND failures "\n${version} was accepted: ${err}")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "version mapping:${failures}")
endif()
