# cmake -DPROBE=<binary> -P cpu_only_links_test.cmake
# The probe links the math, the X services and the generator's core with --no-as-needed: none of
# the graphics, window or image libraries may be among the shared libraries it needs.
execute_process(COMMAND readelf -d ${PROBE} OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT dynamic MATCHES "NEEDED")
  message(FATAL_ERROR "cannot read the shared libraries of ${PROBE}")
endif()
foreach(library epoxy libGL libEGL SDL2 X11 png meshoptimizer freetype fontconfig fltk mpg123 asound)
  if(dynamic MATCHES "NEEDED[^\n]*${library}")
    message(FATAL_ERROR "CPU-only code links ${library}:\n${dynamic}")
  endif()
endforeach()
if(NOT dynamic MATCHES "NEEDED[^\n]*libz")
  message(FATAL_ERROR "the probe was linked with --as-needed (zlib of the X services is missing):\n${dynamic}")
endif()
