# Tests of the Windows cross build, run under Wine. GoogleTest is built from
# Debian's sources (libgtest-dev) with the cross compiler, never the host's
# libraries. Every test program is one test entry run by the emulator, in a
# Wine prefix of the build's own with one server for all of them, which the
# first test makes and starts and the last one stops.
set(KORVANE_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest sources built for the cross build")
if(NOT EXISTS "${KORVANE_GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest sources in ${KORVANE_GTEST_SOURCE_DIR} (install libgtest-dev)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${KORVANE_GTEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main)
  target_compile_options(${library} PRIVATE -Wno-error)
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(WARNING "Wine not found: the Windows test programs are built but cannot run here")
endif()
find_program(KORVANE_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine
             NO_CMAKE_FIND_ROOT_PATH)

set(KORVANE_WINE_PREFIX "${PROJECT_BINARY_DIR}/wineprefix")
# No dialogs asking to install Mono or Gecko, no debug chatter on stderr, no
# display.
set(KORVANE_WINE_ENVIRONMENT
    "WINEPREFIX=${KORVANE_WINE_PREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
    "DISPLAY=" "WINE=${CMAKE_CROSSCOMPILING_EMULATOR}" "WINESERVER=${KORVANE_WINESERVER}")

add_test(NAME Wine.Prefix
  COMMAND ${CMAKE_COMMAND} -DACTION=start -P ${CMAKE_CURRENT_LIST_DIR}/KorvaneWinePrefix.cmake)
add_test(NAME Wine.Shutdown
  COMMAND ${CMAKE_COMMAND} -DACTION=stop -P ${CMAKE_CURRENT_LIST_DIR}/KorvaneWinePrefix.cmake)
set_tests_properties(Wine.Prefix PROPERTIES FIXTURES_SETUP Wine ENVIRONMENT
                     "${KORVANE_WINE_ENVIRONMENT}" TIMEOUT 300)
set_tests_properties(Wine.Shutdown PROPERTIES FIXTURES_CLEANUP Wine ENVIRONMENT
                     "${KORVANE_WINE_ENVIRONMENT}" TIMEOUT 120)

# One test program as one test entry under Wine.
function(korvane_windows_test target test_name)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  korvane_under_wine(${target})
endfunction()

# Runs the test in the build's Wine prefix.
function(korvane_under_wine test)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED Wine
                       ENVIRONMENT "${KORVANE_WINE_ENVIRONMENT}" TIMEOUT 600)
endfunction()
