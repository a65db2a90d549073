# Deployment values: where the service lives. The defaults point at the demo service on loopback.
set(QVX_DEMO_PORT "18080" CACHE STRING "Port of the demo verification service")
set(QVX_NATIVE_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/native" CACHE PATH "Native build that holds the demo service and tools")
set(QVX_VENDOR_BASE_URL "http://127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Vendor web site, scheme and host, no trailing slash")
set(QVX_VENDOR_HOST "127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Vendor web site host without scheme")
set(QVX_SERVER1 "127.0.0.1:${QVX_DEMO_PORT}" CACHE STRING "Primary verification server, IPv4 literal with optional :port")
set(QVX_SERVER2 "localhost:${QVX_DEMO_PORT}" CACHE STRING "Secondary verification server, host name with optional :port")
set(QVX_MASK_TABLE "7C3E0A95F1D4B268" CACHE STRING "Digest mask: images of 0123456789ABCDEF, in order")
configure_file(${CMAKE_SOURCE_DIR}/cmake/deployment.h.in ${CMAKE_BINARY_DIR}/generated/deployment_values.h @ONLY)
