# Points a web (Emscripten) configure at the wasm libraries scripts/web-deps installed, so the
# desktop build's lookups find them unchanged: find_package(ZLIB), find_package(PNG),
# find_package(meshoptimizer), pkg_check_modules(... libjpeg) and pkg_check_modules(... freetype2).
# Include it before those lookups, with ORRERY_WEB_DEPS naming the prefix (default build-web/deps).
if(NOT EMSCRIPTEN)
  return()
endif()

if(NOT ORRERY_WEB_DEPS)
  set(ORRERY_WEB_DEPS "${CMAKE_SOURCE_DIR}/build-web/deps")
endif()
get_filename_component(ORRERY_WEB_DEPS "${ORRERY_WEB_DEPS}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
set(ORRERY_WEB_DEPS "${ORRERY_WEB_DEPS}" CACHE PATH "Prefix of the wasm libraries built by scripts/web-deps" FORCE)
if(NOT EXISTS "${ORRERY_WEB_DEPS}/stamps/all")
  message(FATAL_ERROR "No finished wasm libraries in ${ORRERY_WEB_DEPS}: run scripts/web-deps ${ORRERY_WEB_DEPS}")
endif()

# Emscripten's toolchain searches for libraries, headers and packages only under its find roots
# (its sysroot): the prefix becomes one of them, and a search prefix inside it.
list(PREPEND CMAKE_FIND_ROOT_PATH "${ORRERY_WEB_DEPS}")
list(PREPEND CMAKE_PREFIX_PATH "${ORRERY_WEB_DEPS}")

# pkg-config reads the prefix's .pc files and never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${ORRERY_WEB_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Programs built for wasm run under node (try_run, tests). Emscripten 3.1.6's loader takes node's
# own fetch for a browser's and then cannot load the .wasm beside the script; without fetch it
# reads the file.
find_program(ORRERY_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${ORRERY_NODE};--no-experimental-fetch")
