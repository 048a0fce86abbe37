# The Windows build's tests run under wine. Unit tests go through a launcher
# script, INVITE_UNIT_TEST_LAUNCHER, that puts SDL on its headless drivers
# and starts the .exe with wine; ctest uses it as the tests' emulator.
# scripts/test-windows.sh prepares the wine prefix, the X display and the
# persistent wineserver the tests run in.
set(INVITE_UNIT_TEST_LAUNCHER ${CMAKE_BINARY_DIR}/tests/wine_test_launcher.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine_test_launcher.sh.in ${INVITE_UNIT_TEST_LAUNCHER}
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

# Each GoogleTest case runs as a ctest test of its own, as on Linux: with
# the session's persistent wineserver a wine process starts in about 0.1 s,
# so the 357 cases take about as long as the 14 binaries run whole (75 s
# against 60 to 85 s at -j2 on two busy cores), and a failure names its case.
# INVITE_WINE_TEST_CASES=OFF runs every binary as one test instead.
option(INVITE_WINE_TEST_CASES "Under wine, run every GoogleTest case as its own ctest test" ON)
function(invite_add_wine_gtest name)
  if(INVITE_WINE_TEST_CASES)
    gtest_discover_tests(${name} TEST_PREFIX windows. PROPERTIES LABELS "unit;windows"
      DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
  else()
    add_test(NAME windows.${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(windows.${name} PROPERTIES LABELS "unit;windows" TIMEOUT 600)
  endif()
endfunction()
