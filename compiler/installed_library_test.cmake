# Installs the build to a fresh prefix, builds examples/library against the
# installed package and runs it on a good and on a faulty description.
#   cmake -DBUILD_DIR=... -DEXAMPLES=... -DWORK_DIR=... [-DCXX_FLAGS=...] -P installed_library_test.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(out "${out}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

function(expect what pattern)
  if(NOT out MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: no match for \"${pattern}\" in:\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "install failed:\n${out}")
endif()

run("${CMAKE_COMMAND}" -S "${EXAMPLES}/library" -B "${WORK_DIR}/build" -G Ninja
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the library example failed:\n${out}")
endif()
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building the library example failed:\n${out}")
endif()
set(check "${WORK_DIR}/build/check_skin")

run("${check}" "${EXAMPLES}/DemoSkin.txt" DemoSkin)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the demo skin did not compile (${status}):\n${out}")
endif()
expect("demo skin" "DemoSkin.skn: [1-9][0-9]* bytes\n")
expect("demo skin" "DemoSkin_MIFList.txt: [1-9][0-9]* bytes\n")

file(WRITE "${WORK_DIR}/faulty.txt"
     "SKINTYPE scalable\nNAME 1 \"Faulty\"\nSTRING IID=QsnBgScreen \"a\"\n  STRING IID=QsnBgScreen \"b\"\n")
run("${check}" "${WORK_DIR}/faulty.txt" Faulty)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "the faulty skin ended with ${status}:\n${out}")
endif()
expect("faulty skin"
       "faulty.txt:4:3: error: Item already defined \\[content.item-already-defined\\]\n")
expect("faulty skin" "faulty.txt:3:1: note: first defined here\n")
