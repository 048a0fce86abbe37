# The environment of the tests. Unit tests run through a launcher script,
# INVITE_UNIT_TEST_LAUNCHER (ctest drops all but the first entry of an
# ENVIRONMENT list given to gtest_discover_tests); it puts SDL on its headless
# drivers, starts a cross build's tests under CMAKE_CROSSCOMPILING_EMULATOR
# and, in a sanitizer build (INVITE_SANITIZE), adds what follows.
#
# SDL loads the GL driver (libEGL/libGL, mesa's swrast_dri) at run time and
# unloads it again at SDL_Quit. The driver's own leaks then point into
# unloaded code that LeakSanitizer can neither name nor suppress. Preloading
# the driver keeps it loaded, so its leaks are named and suppressed by
# lsan.supp, and every leak of ours is still reported. The sanitizer runtime
# has to come first in the list.
#
# INVITE_SANITIZER_E2E_ENV: ";NAME=value..." for the end-to-end scripts,
#   which hand the preload to the demo binary only (INVITE_DEMO_PRELOAD).
set(INVITE_SANITIZER_LAUNCH "")
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
  set(lsan "suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
  set(ubsan "print_stacktrace=1:halt_on_error=1")
  set(INVITE_SANITIZER_LAUNCH
    "export LD_PRELOAD='${preload}' LSAN_OPTIONS='${lsan}' UBSAN_OPTIONS='${ubsan}'")
  set(INVITE_SANITIZER_E2E_ENV
    ";INVITE_DEMO_PRELOAD=${preload};LSAN_OPTIONS=${lsan};UBSAN_OPTIONS=${ubsan}")
endif()

# A cross build's tests run under its emulator (qemu-aarch64 for arm64).
# INVITE_TARGET_LAUNCHER starts one of the build's programs from a test: the
# launcher in a cross build, nothing in a native one.
string(JOIN " " INVITE_TEST_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})

set(INVITE_UNIT_TEST_LAUNCHER ${CMAKE_BINARY_DIR}/tests/unit_test_launcher.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/unit_test_launcher.sh.in ${INVITE_UNIT_TEST_LAUNCHER}
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
set(INVITE_TARGET_LAUNCHER "")
if(CMAKE_CROSSCOMPILING)
  set(INVITE_TARGET_LAUNCHER ${INVITE_UNIT_TEST_LAUNCHER})
endif()
