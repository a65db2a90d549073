# The one version: project(VERSION) is MAJOR.MM[.P], a one-digit major, a two-digit minor and an
# optional one-digit patch. The service compares its version numbers as text, so the number the
# client compares must keep four digits: MAJOR, the minor's two digits, then the patch (0 when
# absent). 2.43 is 2430 and file version 2.4.3.0; 2.05 is 2050. A one-digit minor is refused:
# 2.5 could mean 2.05 or 2.50, and the service would read either wrongly.
function(qvx_version_fields text prefix)
  if(NOT text MATCHES "^([1-9])\\.([0-9])([0-9])(\\.([0-9]))?$")
    message(FATAL_ERROR "project version '${text}' is not MAJOR.MM[.P] (one digit, two digits, "
      "one digit: 2.43, 2.05, 2.50.1); a one-digit minor is ambiguous")
  endif()
  set(patch 0)
  if(NOT "${CMAKE_MATCH_5}" STREQUAL "")
    set(patch ${CMAKE_MATCH_5})
  endif()
  set(${prefix}_DISPLAY "${text}" PARENT_SCOPE)
  set(${prefix}_NUMBER "${CMAKE_MATCH_1}${CMAKE_MATCH_2}${CMAKE_MATCH_3}${patch}" PARENT_SCOPE)
  set(${prefix}_FILEVERSION "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${patch}" PARENT_SCOPE)
  set(${prefix}_FILEVERSION_TEXT "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${patch}" PARENT_SCOPE)
endfunction()

# The release after VERSION, for the updater's tests: the next patch (2.43 -> 2.43.1), after
# patch 9 the next minor (2.43.9 -> 2.44), after minor 99 the next major (2.99.9 -> 3.00). Sets
# the fields of qvx_version_fields for it under prefix.
function(qvx_next_version text prefix)
  qvx_version_fields("${text}" current)  # refuses what is not MAJOR.MM[.P]
  string(REGEX MATCH "^([1-9])\\.([0-9][0-9])(\\.([0-9]))?$" _ "${text}")
  set(major ${CMAKE_MATCH_1})
  set(minor ${CMAKE_MATCH_2})
  set(patch 0)
  if(NOT "${CMAKE_MATCH_4}" STREQUAL "")
    set(patch ${CMAKE_MATCH_4})
  endif()
  if(patch LESS 9)
    math(EXPR patch "${patch} + 1")
    set(next "${major}.${minor}.${patch}")
  elseif(minor LESS 99)
    math(EXPR minor "${minor} + 1")
    string(LENGTH "${minor}" digits)
    if(digits EQUAL 1)
      set(minor "0${minor}")
    endif()
    set(next "${major}.${minor}")
  elseif(major LESS 9)
    math(EXPR major "${major} + 1")
    set(next "${major}.00")
  else()
    message(FATAL_ERROR "project version '${text}' has no next version of four digits")
  endif()
  qvx_version_fields("${next}" v)
  foreach(field DISPLAY NUMBER FILEVERSION FILEVERSION_TEXT)
    set(${prefix}_${field} "${v_${field}}" PARENT_SCOPE)
  endforeach()
endfunction()
