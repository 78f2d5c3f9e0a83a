# The manual pages as installed: their title line carries the version and a
# date, and the Makefile example of korvane(1) works as shown on a fresh
# directory (it must create out/ itself), a second make doing nothing.
#   cmake -DMAN_DIR=... -DVERSION=... -DKORVANE=... -DIMAGE=... -DWORK_DIR=...
#         -P man_examples_test.cmake
cmake_minimum_required(VERSION 3.25)

foreach(page korvane.1 korvane-dump.1 korvane-lsp.1)
  file(STRINGS "${MAN_DIR}/${page}" title LIMIT_COUNT 1 REGEX "^\\.TH ")
  if(NOT title MATCHES "\"[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\" \"Korvane ${VERSION}\"")
    message(FATAL_ERROR "${page}: no date and version in its title line: ${title}")
  endif()
endforeach()

file(READ "${MAN_DIR}/korvane.1" page)
string(FIND "${page}" "In a Makefile" at)
if(at EQUAL -1)
  message(FATAL_ERROR "korvane.1 has no Makefile example")
endif()
string(SUBSTRING "${page}" ${at} -1 page)
string(REGEX MATCH "\n\\.nf\n(.*)" example "${page}")
string(FIND "${CMAKE_MATCH_1}" "\n.fi" end)
string(SUBSTRING "${CMAKE_MATCH_1}" 0 ${end} makefile)
string(REPLACE "\\-" "-" makefile "${makefile}")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/Makefile" "${makefile}\n")
file(WRITE "${WORK_DIR}/MySkin.txt"
  "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"My Skin\"\n"
  "BITMAP IID=QsnBgScreen c16 background.bmp\n")
file(COPY "${IMAGE}" DESTINATION "${WORK_DIR}")

find_program(MAKE_PROGRAM NAMES make gmake REQUIRED)
get_filename_component(korvane_dir "${KORVANE}" DIRECTORY)
foreach(round first second)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PATH=${korvane_dir}:$ENV{PATH}"
                          "${MAKE_PROGRAM}" WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the ${round} make of the man page's example failed:\n${makefile}\n${out}")
  endif()
  if(round STREQUAL "second" AND out MATCHES "korvane")
    message(FATAL_ERROR "the second make compiled again:\n${out}")
  endif()
endforeach()
foreach(output out/MySkin.skn out/MySkin.pkg out/MySkin_MIFList.txt out/MySkin.d)
  if(NOT EXISTS "${WORK_DIR}/${output}")
    message(FATAL_ERROR "the man page's example did not write ${output}")
  endif()
endforeach()
