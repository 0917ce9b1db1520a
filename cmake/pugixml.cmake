# pugixml 1.14 or later, linked statically into the plug-in. scripts/deps
# builds it into .deps/pugixml on Debian machines; elsewhere (a maintainer's
# Mac, an iOS cross build) CMake fetches the same pinned release.
set(TORVXML_PUGIXML_PREFIX "${CMAKE_CURRENT_SOURCE_DIR}/.deps/pugixml" CACHE PATH
    "Prefix holding a static, position-independent pugixml 1.14")

if(EXISTS "${TORVXML_PUGIXML_PREFIX}/lib/libpugixml.a")
  add_library(torvxml_pugixml STATIC IMPORTED GLOBAL)
  set_target_properties(torvxml_pugixml PROPERTIES
    IMPORTED_LOCATION "${TORVXML_PUGIXML_PREFIX}/lib/libpugixml.a"
    INTERFACE_INCLUDE_DIRECTORIES "${TORVXML_PUGIXML_PREFIX}/include")
else()
  include(FetchContent)
  FetchContent_Declare(pugixml
    URL https://github.com/zeux/pugixml/archive/refs/tags/v1.14.tar.gz
    URL_HASH SHA256=610f98375424b5614754a6f34a491adbddaaec074e9044577d965160ec103d2e)
  set(BUILD_SHARED_LIBS OFF)
  set(PUGIXML_BUILD_TESTS OFF CACHE BOOL "" FORCE)
  FetchContent_MakeAvailable(pugixml)
  set_target_properties(pugixml-static PROPERTIES POSITION_INDEPENDENT_CODE ON)
  add_library(torvxml_pugixml ALIAS pugixml-static)
endif()
