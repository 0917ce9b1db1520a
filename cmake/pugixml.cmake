# pugixml 1.14 or later, linked statically into the plug-in. scripts/deps
# builds it into .deps/pugixml on Debian machines; elsewhere (a maintainer's
# Mac, an iOS cross build) CMake fetches the same pinned release.
#
# torvxml_pugixml_prebuilt is that library; the benchmarks' raw pugixml side
# links it as it is. torvxml_pugixml, which the plug-in links, is the same
# library, or with TORVXML_LTO pugixml compiled from its source into the
# plug-in's link-time optimisation, so that pugixml's small out-of-line
# accessors inline into the plug-in's code. TORVXML_PLUGIN_LTO says whether
# the plug-in's targets are to be link-time optimised.
set(TORVXML_PUGIXML_PREFIX "${CMAKE_CURRENT_SOURCE_DIR}/.deps/pugixml" CACHE PATH
    "Prefix holding a static, position-independent pugixml 1.14")
set(TORVXML_PUGIXML_SOURCE "${CMAKE_CURRENT_SOURCE_DIR}/.deps/work/pugixml-1.14/src" CACHE PATH
    "pugixml 1.14's src/ folder (scripts/deps unpacks it), compiled into the plug-in with TORVXML_LTO")
option(TORVXML_LTO "Link the plug-in with link-time optimisation, pugixml included" OFF)

if(EXISTS "${TORVXML_PUGIXML_PREFIX}/lib/libpugixml.a")
  add_library(torvxml_pugixml_prebuilt STATIC IMPORTED GLOBAL)
  set_target_properties(torvxml_pugixml_prebuilt PROPERTIES
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
  add_library(torvxml_pugixml_prebuilt ALIAS pugixml-static)
endif()

# The plug-in's pugixml: the prebuilt one unless link-time optimisation
# compiles the source into the plug-in's link.
set(TORVXML_PLUGIN_LTO OFF)
if(TORVXML_LTO)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT TORVXML_PLUGIN_LTO OUTPUT _torvxml_ipo_output LANGUAGES CXX)
  if(NOT TORVXML_PLUGIN_LTO)
    message(WARNING "TORVXML_LTO: the compiler cannot link-time optimise: ${_torvxml_ipo_output}")
  elseif(NOT EXISTS "${TORVXML_PUGIXML_SOURCE}/pugixml.cpp")
    # The plug-in's own units are still optimised together.
    message(STATUS "TORVXML_LTO: no ${TORVXML_PUGIXML_SOURCE}/pugixml.cpp; the plug-in links the prebuilt pugixml")
  else()
    add_library(torvxml_pugixml STATIC "${TORVXML_PUGIXML_SOURCE}/pugixml.cpp")
    target_include_directories(torvxml_pugixml PUBLIC "${TORVXML_PUGIXML_SOURCE}")
    set_target_properties(torvxml_pugixml PROPERTIES
      INTERPROCEDURAL_OPTIMIZATION ON
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endif()
endif()
if(NOT TARGET torvxml_pugixml)
  if(TARGET pugixml-static)
    add_library(torvxml_pugixml ALIAS pugixml-static)
  else()
    add_library(torvxml_pugixml ALIAS torvxml_pugixml_prebuilt)
  endif()
endif()
