# Builds korvane and korvane-dump for the build host in HOST_BUILD_DIR, for
# the Windows build's comparison test. A directory without a build yet is
# configured as the default preset would.
#   cmake -DSOURCE_DIR=... -DHOST_BUILD_DIR=... -P host_programs.cmake
if(NOT EXISTS "${HOST_BUILD_DIR}/CMakeCache.txt")
  # The cross build's compiler must not leak into the host's.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=CXX --unset=CC --unset=CMAKE_TOOLCHAIN_FILE
                          ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${HOST_BUILD_DIR}" -G Ninja
                          -DCMAKE_BUILD_TYPE=RelWithDebInfo
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Configuring the host build in ${HOST_BUILD_DIR} failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${HOST_BUILD_DIR}" --target korvane korvane-dump
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Building the host's korvane and korvane-dump in ${HOST_BUILD_DIR} failed")
endif()
