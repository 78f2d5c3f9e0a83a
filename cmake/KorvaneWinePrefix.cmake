# Makes the Wine prefix the Windows tests run in (ACTION=start) or ends its
# server (ACTION=stop). WINE, WINESERVER and WINEPREFIX come from the
# environment.
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
elseif(ACTION STREQUAL "stop")
  execute_process(COMMAND "$ENV{WINESERVER}" -k OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "$ENV{WINESERVER}" -w)
else()
  message(FATAL_ERROR "ACTION must be start or stop")
endif()
