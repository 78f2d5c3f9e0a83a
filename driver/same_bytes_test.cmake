# The Windows programs under Wine and the host's programs on the example
# skins: the same exit codes, the same report bytes and the same bytes in
# every file they write; each korvane-dump reads the SKN files back alike.
#   cmake -DWINE=... -DKORVANE=korvane.exe -DKORVANE_DUMP=korvane-dump.exe
#         -DHOST_BUILD_DIR=... -DEXAMPLES=... -DWORK_DIR=... -P same_bytes_test.cmake
get_filename_component(KORVANE "${KORVANE}" ABSOLUTE)
get_filename_component(KORVANE_DUMP "${KORVANE_DUMP}" ABSOLUTE)
set(host_korvane "${HOST_BUILD_DIR}/driver/korvane")
set(host_dump "${HOST_BUILD_DIR}/inspect/korvane-dump")
foreach(program "${host_korvane}" "${host_dump}")
  if(NOT EXISTS "${program}")
    message(FATAL_ERROR "No host program ${program}")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
foreach(side host windows)
  file(COPY "${EXAMPLES}/" DESTINATION "${WORK_DIR}/${side}")
endforeach()
set(ENV{SOURCE_DATE_EPOCH} 1700000000)

set(failures "")
# Runs one command on both sides, in their directories, and compares its
# exit code and both streams.
function(run_both label)
  cmake_parse_arguments(ARG "" "" "ARGS" ${ARGN})
  list(GET ARG_ARGS 0 program)
  list(SUBLIST ARG_ARGS 1 -1 args)
  if(program STREQUAL "korvane")
    set(host_program "${host_korvane}")
    set(windows_program "${KORVANE}")
  else()
    set(host_program "${host_dump}")
    set(windows_program "${KORVANE_DUMP}")
  endif()
  execute_process(COMMAND "${host_program}" ${args} WORKING_DIRECTORY "${WORK_DIR}/host"
                  RESULT_VARIABLE host_status OUTPUT_VARIABLE host_out ERROR_VARIABLE host_err)
  execute_process(COMMAND ${WINE} "${windows_program}" ${args}
                  WORKING_DIRECTORY "${WORK_DIR}/windows"
                  RESULT_VARIABLE windows_status OUTPUT_VARIABLE windows_out
                  ERROR_VARIABLE windows_err)
  file(WRITE "${WORK_DIR}/${label}.host.out" "${host_out}")
  file(WRITE "${WORK_DIR}/${label}.windows.out" "${windows_out}")
  if(NOT host_status STREQUAL windows_status)
    list(APPEND failures "${label}: exit code ${host_status} on the host, ${windows_status} under Wine")
  endif()
  if(NOT host_out STREQUAL windows_out)
    list(APPEND failures "${label}: standard output differs (${label}.host.out, ${label}.windows.out)")
  endif()
  if(NOT host_err STREQUAL windows_err)
    list(APPEND failures "${label}: standard error differs:\n${host_err}\nunder Wine:\n${windows_err}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(skin DemoSkin NormalSkin)
  run_both(${skin} ARGS korvane ${skin}.txt ${skin})
endforeach()
# Output directories with backslashes, as a Windows user writes them, and a
# dependency file.
foreach(side host windows)
  file(MAKE_DIRECTORY "${WORK_DIR}/${side}/out/lists" "${WORK_DIR}/${side}/out/skn")
endforeach()
run_both(DemoSkinPaths ARGS korvane "-mout\\lists" "-tout\\skn\\" "--depfile=out\\DemoSkinB.d"
         "./DemoSkin.txt" DemoSkinB)
foreach(output out/lists/DemoSkinB_MIFList.txt out/skn/DemoSkinB.skn out/DemoSkinB.d)
  if(NOT EXISTS "${WORK_DIR}/windows/${output}")
    list(APPEND failures "korvane.exe wrote no ${output}")
  endif()
endforeach()

# Each side's korvane-dump reads its SKN files back; the Windows one also
# reads the host's.
run_both(DemoSkinDump ARGS korvane-dump --no-time --list DemoSkin_MIFList.txt DemoSkin.skn)
run_both(NormalSkinDump ARGS korvane-dump --no-time --list NormalSkin_MBMList.txt NormalSkin.skn)
run_both(DemoSkinSource ARGS korvane-dump --source DemoSkin.source.txt DemoSkin.skn)
execute_process(COMMAND ${WINE} "${KORVANE_DUMP}" --no-time "${WORK_DIR}/host/NormalSkin.skn"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  list(APPEND failures "korvane-dump.exe ended with ${status} on the host's NormalSkin.skn")
endif()

# Every file on both sides: the compilers' outputs and the decompiled
# description among the copied inputs.
file(GLOB_RECURSE host_files RELATIVE "${WORK_DIR}/host" "${WORK_DIR}/host/*")
file(GLOB_RECURSE windows_files RELATIVE "${WORK_DIR}/windows" "${WORK_DIR}/windows/*")
list(SORT host_files)
list(SORT windows_files)
if(NOT host_files STREQUAL windows_files)
  list(APPEND failures "The files differ:\n  host: ${host_files}\n  Wine: ${windows_files}")
endif()
set(compared 0)
foreach(file ${host_files})
  if(EXISTS "${WORK_DIR}/windows/${file}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/host/${file}"
                            "${WORK_DIR}/windows/${file}" RESULT_VARIABLE different)
    if(different)
      list(APPEND failures "${file} differs")
    endif()
    math(EXPR compared "${compared} + 1")
  endif()
endforeach()
foreach(output DemoSkin.skn DemoSkin.pkg DemoSkin_MIFList.txt NormalSkin.skn NormalSkin.pkg
               NormalSkin_MBMList.txt)
  if(NOT EXISTS "${WORK_DIR}/windows/${output}")
    list(APPEND failures "korvane.exe wrote no ${output}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "${compared} files alike")
