# Maps one VERSION, or with NEXT its next one, for the refusals of version_mapping.cmake and
# version_next.cmake (FATAL_ERROR stops a whole script).
include(${QVX_SOURCE}/cmake/version.cmake)
if(NEXT)
  qvx_next_version("${VERSION}" v)
else()
  qvx_version_fields("${VERSION}" v)
endif()
