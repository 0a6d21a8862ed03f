# The version in the places that need it, all from project(VERSION):
#  - OrvanneVersion.h (target orvanne_version): ORVANNE_VERSION "1.0.0" and its three numbers;
#  - on Windows, the object library orvanne_version_resource: the DLL's VS_VERSION_INFO;
#  - ORVANNE_VERSION, ORVANNE_LV2_MINOR_VERSION and ORVANNE_LV2_MICRO_VERSION for the LV2 bundle.
set(ORVANNE_VERSION "${PROJECT_VERSION}")
set(ORVANNE_VERSION_MAJOR "${PROJECT_VERSION_MAJOR}")
set(ORVANNE_VERSION_MINOR "${PROJECT_VERSION_MINOR}")
set(ORVANNE_VERSION_PATCH "${PROJECT_VERSION_PATCH}")
# LV2 numbers a release by minor and micro only: a new major version would be a new plug-in
# URI. Hosts take an even minor version for a release.
set(ORVANNE_LV2_MINOR_VERSION "${PROJECT_VERSION_MINOR}")
set(ORVANNE_LV2_MICRO_VERSION "${PROJECT_VERSION_PATCH}")

set(ORVANNE_VERSION_DIR "${CMAKE_BINARY_DIR}/version")
configure_file("${CMAKE_CURRENT_LIST_DIR}/OrvanneVersion.h.in" "${ORVANNE_VERSION_DIR}/OrvanneVersion.h" @ONLY)
add_library(orvanne_version INTERFACE)
target_include_directories(orvanne_version INTERFACE "${ORVANNE_VERSION_DIR}")

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVANNE_VERSION_BITS "64-bit")
  else()
    set(ORVANNE_VERSION_BITS "32-bit")
  endif()
  configure_file("${CMAKE_CURRENT_LIST_DIR}/VersionInfo.rc.in" "${ORVANNE_VERSION_DIR}/VersionInfo.rc" @ONLY)
  add_library(orvanne_version_resource OBJECT "${ORVANNE_VERSION_DIR}/VersionInfo.rc")
endif()
# For the packaging script (tools/dist.sh).
file(WRITE "${ORVANNE_VERSION_DIR}/version.txt" "${ORVANNE_VERSION}\n")
