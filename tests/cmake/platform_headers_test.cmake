# cmake -DCHECK=<check_platform_headers.cmake> -DWORK=<scratch folder> -P platform_headers_test.cmake
# The include check on a small tree: it must refuse each system header outside platform/, name
# the file, and accept the same includes inside platform/ and tests/platform/.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/platform/gpu ${WORK}/tests/platform/gpu ${WORK}/render ${WORK}/show/scenes)
file(WRITE ${WORK}/platform/gpu/context.cpp "#include <epoxy/gl.h>\n#include <SDL2/SDL.h>\n")
file(WRITE ${WORK}/tests/platform/gpu/context_test.cpp "#include <EGL/egl.h>\n")
file(WRITE ${WORK}/render/clean.h "#include <vector>\n#include \"platform/gpu/d3d8.h\"\n// #include is a word here\n")

function(run_check expect_failure)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK} RESULT_VARIABLE result
                  ERROR_VARIABLE errors OUTPUT_QUIET)
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "the check accepted a tree with ${ARGN}")
  endif()
  if(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "the check refused a clean tree:\n${errors}")
  endif()
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

run_check(FALSE)
foreach(include "<epoxy/gl.h>" "<GL/gl.h>" "<EGL/egl.h>" "\"SDL.h\"" "<SDL2/SDL_audio.h>" "<FL/Fl.H>"
                "<ft2build.h>" "<fontconfig/fontconfig.h>" "<X11/Xlib.h>" "<alsa/asoundlib.h>" "<mpg123.h>"
                "<emscripten.h>" "<emscripten/html5.h>")
  file(WRITE ${WORK}/show/scenes/leak.h "#pragma once\n  #  include ${include}\n")
  run_check(TRUE "${include} in show/scenes/leak.h")
  if(NOT errors MATCHES "show/scenes/leak.h")
    message(FATAL_ERROR "the refusal of ${include} does not name the file:\n${errors}")
  endif()
endforeach()
file(REMOVE ${WORK}/show/scenes/leak.h)
run_check(FALSE)
file(REMOVE_RECURSE ${WORK})
