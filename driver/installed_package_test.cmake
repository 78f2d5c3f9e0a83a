# Installs the build to a fresh prefix and builds the consumer project in
# examples/consumer/ against the installed package, with each generator:
# the first build compiles the three skins, a second one does nothing,
# touching an image of one skin rebuilds that skin alone, and so do adding
# and deleting the image that one skin names but nobody has drawn yet, each
# followed by a build with nothing to do. A project with two DRM skins in one
# output directory is refused when it is configured. The Makefile and Ninja
# rules of the build guide and the man page run as shown, on a clean tree.
#   cmake -DBUILD_DIR=... -DEXAMPLES=... -DUTF16_SKIN=... -DWORK_DIR=...
#         -DCMAKEDIR=lib/cmake/Korvane "-DGENERATORS=Ninja|Unix Makefiles"
#         -DBUILD_GUIDE=docs/in-a-build.md -DMAN_PAGE=man/korvane.1
#         -P installed_package_test.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" GENERATORS "${GENERATORS}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} ended with ${status}:\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_built what out)
  foreach(skin DemoSkin NormalSkin LaterSkin)
    string(FIND "${out}" "Compiling skin ${skin}" at)
    if(skin IN_LIST ARGN AND at EQUAL -1)
      message(FATAL_ERROR "${what}: ${skin} was not compiled:\n${out}")
    elseif(NOT skin IN_LIST ARGN AND NOT at EQUAL -1)
      message(FATAL_ERROR "${what}: ${skin} was compiled again:\n${out}")
    endif()
  endforeach()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
foreach(installed bin/korvane bin/korvane-dump share/man/man1/korvane.1
                  share/man/man1/korvane-dump.1 ${CMAKEDIR}/KorvaneConfig.cmake
                  ${CMAKEDIR}/KorvaneConfigVersion.cmake)
  if(NOT EXISTS "${prefix}/${installed}")
    message(FATAL_ERROR "${installed} was not installed")
  endif()
endforeach()
run("${prefix}/bin/korvane" --version)
if(NOT out MATCHES "^korvane [0-9]+\\.[0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "unexpected version line: ${out}")
endif()

# The skin type decides the generation list's name: it is read from 8-bit and
# from UTF-16 descriptions (the byte-order mark put before UTF-16LE text).
include("${prefix}/${CMAKEDIR}/KorvaneAddSkin.cmake")
file(MAKE_DIRECTORY "${WORK_DIR}")
string(ASCII 255 254 mark)
file(WRITE "${WORK_DIR}/mark.bin" "${mark}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${WORK_DIR}/mark.bin" "${UTF16_SKIN}"
                OUTPUT_FILE "${WORK_DIR}/utf16.txt")
foreach(case "DemoSkin.txt;TRUE" "NormalSkin.txt;FALSE" "${WORK_DIR}/utf16.txt;TRUE")
  list(GET case 0 description)
  list(GET case 1 expected)
  get_filename_component(description "${description}" ABSOLUTE BASE_DIR "${EXAMPLES}")
  _korvane_skin_is_scalable("${description}" scalable)
  if(NOT scalable STREQUAL expected)
    message(FATAL_ERROR "${description} read as scalable: ${scalable}")
  endif()
endforeach()

# The skins and their images are copied, so that touching one leaves the
# source tree alone.
file(COPY "${EXAMPLES}/" DESTINATION "${WORK_DIR}/examples")
set(ENV{SOURCE_DATE_EPOCH} "")
unset(ENV{SOURCE_DATE_EPOCH})

set(n 0)
foreach(generator IN LISTS GENERATORS)
  math(EXPR n "${n} + 1")
  set(build "${WORK_DIR}/build-${n}")
  run("${CMAKE_COMMAND}" -S "${WORK_DIR}/examples/consumer" -B "${build}" -G "${generator}"
      "-DCMAKE_PREFIX_PATH=${prefix}")
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, first build" "${out}" DemoSkin NormalSkin LaterSkin)
  foreach(output DemoSkin_MIFList.txt DemoSkin.skn DemoSkin.pkg normal/lists/NormalSkin_MBMList.txt
                 normal/NormalSkin.skn normal/NormalSkin.pkg normal/datafiles.def
                 later/LaterSkin.skn)
    if(NOT EXISTS "${build}/${output}")
      message(FATAL_ERROR "${generator}: ${output} was not written")
    endif()
  endforeach()
  run("${prefix}/bin/korvane-dump" --no-time "${build}/DemoSkin.skn")

  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, second build" "${out}")

  file(TOUCH "${WORK_DIR}/examples/images/wait_2.bmp")
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after touching an image" "${out}" DemoSkin)
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after the rebuild" "${out}")

  set(later "${WORK_DIR}/examples/images/later.bmp")
  file(COPY_FILE "${WORK_DIR}/examples/images/background.bmp" "${later}")
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after adding a missing image" "${out}" LaterSkin)
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after the build with the added image" "${out}")

  file(REMOVE "${later}")
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after deleting an image" "${out}" LaterSkin)
  run("${CMAKE_COMMAND}" --build "${build}")
  expect_built("${generator}, after the build without the image" "${out}")
endforeach()

# Two DRM skins in one output directory: refused at configure time, naming
# the file and both targets.
set(clash "${WORK_DIR}/clash")
file(WRITE "${clash}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)
project(clash NONE)
find_package(Korvane REQUIRED)
korvane_add_skin(first_skin DESCRIPTION ${EXAMPLES}/NormalSkin.txt SKIN_NAME A DRM OUTPUT_DIR out)
korvane_add_skin(second_skin DESCRIPTION ${EXAMPLES}/NormalSkin.txt SKIN_NAME B DRM
                 OUTPUT_DIR out/../out/)
")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${clash}" -B "${clash}/build"
                        "-DCMAKE_PREFIX_PATH=${prefix}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0 OR NOT out MATCHES "second_skin and first_skin" OR
   NOT out MATCHES "out/datafiles.def")
  message(FATAL_ERROR "two DRM skins in one output directory were not refused:\n${out}")
endif()
message("Installed package used with: ${GENERATORS}")

# The rules as the pages show them, run with the installed compiler on PATH
# in a copy of the examples where MySkin.txt names an image not drawn yet.
function(page_block file begin end result)
  file(READ "${file}" text)
  string(FIND "${text}" "${begin}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} shows no '${begin}'")
  endif()
  string(LENGTH "${begin}" length)
  math(EXPR at "${at} + ${length}")
  string(SUBSTRING "${text}" ${at} -1 text)
  string(FIND "${text}" "${end}" stop)
  string(SUBSTRING "${text}" 0 ${stop} text)
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

page_block("${BUILD_GUIDE}" "```make\n" "```" guide_makefile)
page_block("${BUILD_GUIDE}" "```ninja\n" "```" guide_ninja)
page_block("${MAN_PAGE}" "In a Makefile" ".fi" man_makefile)
string(REGEX REPLACE "^.*\n\\.nf\n" "" man_makefile "${man_makefile}")
string(REPLACE "\\-" "-" man_makefile "${man_makefile}")
string(REPLACE "\\e" "\\" man_makefile "${man_makefile}")

set(ENV{PATH} "${prefix}/bin:$ENV{PATH}")
# Exit status 0 when the tool has nothing to do.
function(up_to_date tool dir result)
  if(tool STREQUAL "make")
    execute_process(COMMAND make -q WORKING_DIRECTORY "${dir}" RESULT_VARIABLE status
                    OUTPUT_QUIET ERROR_QUIET)
  else()
    execute_process(COMMAND ninja -n WORKING_DIRECTORY "${dir}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0 AND NOT out MATCHES "no work to do")
      set(status 1)
    endif()
  endif()
  if(status EQUAL 0)
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(expect_work tool dir what expected)
  up_to_date(${tool} "${dir}" done)
  if(expected AND done)
    message(FATAL_ERROR "${dir} (${tool}), ${what}: nothing to do")
  elseif(NOT expected AND NOT done)
    message(FATAL_ERROR "${dir} (${tool}), ${what}: work left to do")
  endif()
  if(expected)
    run(${tool} WORKING_DIRECTORY "${dir}")
  endif()
endfunction()

foreach(page "guide;make;Makefile;${guide_makefile}" "man;make;Makefile;${man_makefile}"
             "guide;ninja;build.ninja;${guide_ninja}")
  list(POP_FRONT page name tool file)
  list(JOIN page ";" rules)
  set(dir "${WORK_DIR}/${name}-${tool}")
  file(COPY "${EXAMPLES}/images" DESTINATION "${dir}")
  file(READ "${EXAMPLES}/DemoSkin.txt" skin)
  file(WRITE "${dir}/MySkin.txt" "${skin}BITMAP IID=QsnBgPowersave c16 later.bmp\n")
  file(WRITE "${dir}/${file}" "${rules}")
  expect_work(${tool} "${dir}" "clean tree" TRUE)
  if(NOT EXISTS "${dir}/out/MySkin.skn" OR NOT EXISTS "${dir}/out/MySkin.d")
    message(FATAL_ERROR "${dir} (${tool}): no out/MySkin.skn or out/MySkin.d")
  endif()
  expect_work(${tool} "${dir}" "second build" FALSE)
  file(TOUCH "${dir}/images/wait_2.bmp")
  expect_work(${tool} "${dir}" "after touching an image" TRUE)
  expect_work(${tool} "${dir}" "after the rebuild" FALSE)
  file(COPY_FILE "${dir}/images/background.bmp" "${dir}/images/later.bmp")
  expect_work(${tool} "${dir}" "after adding the missing image" TRUE)
  expect_work(${tool} "${dir}" "after the build with the added image" FALSE)
endforeach()
message("Build guide and man page rules run as shown")
