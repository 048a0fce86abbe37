# What the tests of a sanitizer build (INVITE_SANITIZE) add to their
# environment.
#
# SDL loads the GL driver (libEGL/libGL, mesa's swrast_dri) at run time and
# unloads it again at SDL_Quit. The driver's own leaks then point into
# unloaded code that LeakSanitizer can neither name nor suppress. Preloading
# the driver keeps it loaded, so its leaks are named and suppressed by
# lsan.supp, and every leak of ours is still reported. The sanitizer runtime
# has to come first in the list.
#
# INVITE_SANITIZER_TEST_ENV: ";NAME=value..." for unit tests (appended to
#   their ENVIRONMENT), empty without sanitizers.
# INVITE_SANITIZER_E2E_ENV: the same for end-to-end scripts, which hand the
#   preload to the demo binary only (INVITE_DEMO_PRELOAD).
set(INVITE_SANITIZER_TEST_ENV "")
set(INVITE_SANITIZER_E2E_ENV "")
if(INVITE_SANITIZE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
    OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  find_file(swrast_driver swrast_dri.so
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri NO_DEFAULT_PATH)
  set(preload "${asan_runtime}:libEGL.so.1:libEGL_mesa.so.0:libGL.so.1:libGLX_mesa.so.0")
  if(swrast_driver)
    string(APPEND preload ":${swrast_driver}")
  endif()
  set(options "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  set(INVITE_SANITIZER_TEST_ENV ";LD_PRELOAD=${preload};${options}")
  set(INVITE_SANITIZER_E2E_ENV ";INVITE_DEMO_PRELOAD=${preload};${options}")
endif()
