# The main job: compiles the example skins in a fresh copy of examples/,
# dumps the scalable one's SKN file with the names of its items and the files
# of its images, and writes its HTML preview.
#   cmake -DKORVANE=... -DKORVANE_DUMP=... -DEXAMPLES=... -DDEMO_DIR=... -P run_demo.cmake
file(REMOVE_RECURSE "${DEMO_DIR}")
file(COPY "${EXAMPLES}/" DESTINATION "${DEMO_DIR}")
foreach(skin DemoSkin NormalSkin)
  execute_process(COMMAND "${KORVANE}" ${skin}.txt ${skin}
                  WORKING_DIRECTORY "${DEMO_DIR}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "korvane ended with exit code ${status} on ${skin}.txt")
  endif()
endforeach()
execute_process(COMMAND "${KORVANE_DUMP}" --no-time --list DemoSkin_MIFList.txt DemoSkin.skn
                WORKING_DIRECTORY "${DEMO_DIR}" OUTPUT_FILE "${DEMO_DIR}/DemoSkin.dump.txt"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "korvane-dump ended with exit code ${status} on DemoSkin.skn")
endif()
execute_process(COMMAND "${KORVANE_DUMP}" --html DemoSkin.html --list DemoSkin_MIFList.txt
                        DemoSkin.skn
                WORKING_DIRECTORY "${DEMO_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "korvane-dump --html ended with exit code ${status} on DemoSkin.skn")
endif()
message("\nOutputs in ${DEMO_DIR}:\n"
        "  DemoSkin_MIFList.txt DemoSkin.skn DemoSkin.pkg (and DemoSkin.dump.txt, what the SKN file holds,\n"
        "  and DemoSkin.html, its preview to open in a browser)\n"
        "  NormalSkin_MBMList.txt NormalSkin.skn NormalSkin.pkg")
