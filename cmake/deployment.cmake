# Deployment values: where the service lives. The defaults point at the demo service on loopback.
set(QVX_DEMO_PORT "18080" CACHE STRING "Port of the demo verification service")
# A build configured again with another demo port (win64 uses its own, so that both Wine passes
# can run at once) drops the defaults it cached for the old port (18080 in a cache older than
# this rule); values set by hand stay.
set(qvx_old_port 18080)
if(DEFINED QVX_DEMO_PORT_OF_DEFAULTS)
  set(qvx_old_port ${QVX_DEMO_PORT_OF_DEFAULTS})
endif()
if(NOT QVX_DEMO_PORT STREQUAL qvx_old_port)
  foreach(var IN ITEMS QVX_VENDOR_BASE_URL QVX_VENDOR_HOST QVX_SERVER1 QVX_SERVER2)
    if("${${var}}" MATCHES "^(http://)?(127\\.0\\.0\\.1|localhost):${qvx_old_port}$")
      unset(${var} CACHE)
    endif()
  endforeach()
endif()
set(QVX_DEMO_PORT_OF_DEFAULTS "${QVX_DEMO_PORT}" CACHE INTERNAL "")
set(QVX_NATIVE_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/native" CACHE PATH "Native build that holds the demo service and tools")
set(QVX_VENDOR_BASE_URL "http://127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Vendor web site, scheme and host, no trailing slash")
set(QVX_VENDOR_HOST "127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Vendor web site host without scheme")
set(QVX_SERVER1 "127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Primary verification server, IPv4 literal with optional :port")
set(QVX_SERVER2 "localhost:${QVX_DEMO_PORT}" CACHE STRING "Secondary verification server, host name with optional :port")
set(QVX_MASK_TABLE "7C3E0A95F1D4B268" CACHE STRING "Digest mask: images of 0123456789ABCDEF, in order")
configure_file(${CMAKE_SOURCE_DIR}/cmake/deployment.h.in ${CMAKE_BINARY_DIR}/generated/deployment_values.h @ONLY)
