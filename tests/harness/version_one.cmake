# Maps one VERSION, for version_mapping.cmake's refusals (FATAL_ERROR stops a whole script).
include(${QVX_SOURCE}/cmake/version.cmake)
qvx_version_fields("${VERSION}" v)
