# The release after a project version (cmake/version.cmake's qvx_next_version), which the
# updater's tests install: cmake -DQVX_SOURCE=... -P version_next.cmake
include(${QVX_SOURCE}/cmake/version.cmake)

set(failures "")
# VERSION, then the next one as shown, its number and its file version.
foreach(row IN ITEMS "2.43|2.43.1|2431|2.4.3.1" "2.43.1|2.43.2|2432|2.4.3.2"
                     "2.43.9|2.44|2440|2.4.4.0" "2.04.9|2.05|2050|2.0.5.0" "2.09.9|2.10|2100|2.1.0.0" "2.05|2.05.1|2051|2.0.5.1"
                     "2.99.9|3.00|3000|3.0.0.0" "9.98.9|9.99|9990|9.9.9.0")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 version)
  list(GET row 1 next)
  list(GET row 2 number)
  list(GET row 3 fileversion)
  qvx_next_version("${version}" n)
  if(NOT n_DISPLAY STREQUAL next OR NOT n_NUMBER STREQUAL number OR
     NOT n_FILEVERSION_TEXT STREQUAL fileversion)
    string(APPEND failures "\n${version}: '${n_DISPLAY}' '${n_NUMBER}' '${n_FILEVERSION_TEXT}'")
  endif()
endforeach()

# The last version of four digits has no next one; a malformed one is refused as ever.
foreach(row IN ITEMS "9.99.9|has no next version" "2.5|is not MAJOR.MM")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 version)
  list(GET row 1 message)
  execute_process(COMMAND ${CMAKE_COMMAND} -DQVX_SOURCE=${QVX_SOURCE} -DVERSION=${version}
    -DNEXT=1 -P ${CMAKE_CURRENT_LIST_DIR}/version_one.cmake RESULT_VARIABLE rc OUTPUT_QUIET
    ERROR_VARIABLE err)
  if(rc EQUAL 0 OR NOT err MATCHES "${message}")
    string(APPEND failures "\n${version} has a next version: ${err}")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "next version:${failures}")
endif()
