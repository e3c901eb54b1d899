# Only platform/ (and its tests) may include the headers of the system libraries the platform
# layer wraps. The check runs as part of every build and again whenever a source file changes.
set(ORRERY_HEADER_CHECK ${CMAKE_SOURCE_DIR}/cmake/check_platform_headers.cmake)
file(GLOB_RECURSE orrery_checked_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/app/*.[ch]* ${CMAKE_SOURCE_DIR}/audio/*.[ch]* ${CMAKE_SOURCE_DIR}/render/*.[ch]*
     ${CMAKE_SOURCE_DIR}/scene/*.[ch]* ${CMAKE_SOURCE_DIR}/fx/*.[ch]* ${CMAKE_SOURCE_DIR}/show/*.[ch]*
     ${CMAKE_SOURCE_DIR}/resources/*.[ch]* ${CMAKE_SOURCE_DIR}/tools/*.[ch]* ${CMAKE_SOURCE_DIR}/tests/*.[ch]*
     ${CMAKE_SOURCE_DIR}/benchmarks/*.[ch]* ${CMAKE_SOURCE_DIR}/fuzz/*.[ch]*)
set(orrery_header_stamp ${CMAKE_BINARY_DIR}/platform_headers.stamp)
add_custom_command(OUTPUT ${orrery_header_stamp}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${ORRERY_HEADER_CHECK}
  COMMAND ${CMAKE_COMMAND} -E touch ${orrery_header_stamp}
  DEPENDS ${orrery_checked_sources} ${ORRERY_HEADER_CHECK}
  COMMENT "Checking that only platform/ includes GL, EGL, SDL, FLTK, FreeType, fontconfig, X11, ALSA or mpg123"
  VERBATIM)
add_custom_target(platform_headers ALL DEPENDS ${orrery_header_stamp})
