# Makes the Wine prefix the Windows tests run in and starts its server
# (ACTION=start), or ends the server (ACTION=stop). WINE, WINESERVER and
# WINEPREFIX come from the environment.
#   cmake -DACTION=start|stop -P KorvaneWinePrefix.cmake
set(prefix "$ENV{WINEPREFIX}")
if(ACTION STREQUAL "start")
  if(NOT EXISTS "${prefix}/system.reg")
    message(STATUS "Creating the Wine prefix ${prefix}")
    execute_process(COMMAND "$ENV{WINE}" wineboot --init RESULT_VARIABLE status
                    OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "wineboot --init ended with ${status}")
    endif()
  endif()
  # The prefix is complete once its server has written it and gone.
  execute_process(COMMAND "$ENV{WINESERVER}" -w)
  # One server, with Wine's own services, for every test program: started
  # afresh for each program they would print their own crashes into its
  # standard error now and then. It goes by itself 300 seconds after the last
  # program, should the last test never run.
  # Their output goes nowhere, so that no test's output waits for them.
  execute_process(COMMAND "$ENV{WINESERVER}" -p300 OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
  execute_process(COMMAND "$ENV{WINE}" cmd /c exit OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
elseif(ACTION STREQUAL "stop")
  execute_process(COMMAND "$ENV{WINESERVER}" -k OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "$ENV{WINESERVER}" -w)
else()
  message(FATAL_ERROR "ACTION must be start or stop")
endif()
