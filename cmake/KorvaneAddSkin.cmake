# korvane_add_skin(<target> DESCRIPTION <file> SKIN_NAME <name>
#                  [EXTENSION_LIST <file>] [DRM] [OUTPUT_DIR <dir>] [LIST_DIR <dir>]
#                  [OPTIONS <korvane option>...])
#
# Compiles one skin description with Korvane::korvane into a custom target
# <target> that is part of the default build. Outputs: the generation list
# <LIST_DIR>/<name>_MIFList.txt (scalable skins) or _MBMList.txt (the others),
# <OUTPUT_DIR>/<name>.skn, <OUTPUT_DIR>/<name>.pkg and, with DRM,
# <OUTPUT_DIR>/datafiles.def (so two DRM skins need two output directories).
# OUTPUT_DIR defaults to the current binary directory, LIST_DIR to OUTPUT_DIR;
# relative directories are taken in the current binary directory, relative
# description and extension-list names in the current source directory.
#
# The compiler runs quietly in the description's directory, so that the image
# paths of the description mean what they mean when the skin is compiled by
# hand there. It writes a dependency file naming every image and mask file it
# looked for: changing or deleting one rebuilds the skin, and so does a change
# of the description, the extension list or the compiler. A missing image is
# named by the directory it would appear in, so adding it rebuilds the skin
# once; a missing image in a directory the compile writes into is not seen.
# OPTIONS are passed on before the other arguments (for example --strict).
#
# Which generation list the compiler writes depends on the skin type, so the
# description's SKINTYPE line is read when the project is configured, and a
# change of the description configures the project again. The output
# directories are made then too, so that a build runs the compiler alone.
# Two DRM skins with one output directory would both write datafiles.def: the
# second is refused when the project is configured.

# The compiler's dependency file names the prerequisites by absolute paths and,
# for Ninja, its first output as build.ninja names it, so Ninja reads the file
# as written (no transforming step per skin); the Makefile generators read it
# in their own dependency step. The functions keep the policies in force where
# they are defined, whatever the calling project asks for.
cmake_policy(PUSH)
cmake_policy(SET CMP0116 OLD)

function(_korvane_skin_is_scalable description result)
  # The first element of a description is SKINTYPE; lines that begin with
  # "/" are comments. A byte-order mark selects UTF-16.
  file(STRINGS "${description}" lines LIMIT_COUNT 200)
  set(scalable FALSE)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^/")
      continue()
    endif()
    string(TOLOWER "${line}" line)
    if(line MATCHES "^skintype[ \t]+scalable([ \t]|$)")
      set(scalable TRUE)
    endif()
    break()
  endforeach()
  set(${result} ${scalable} PARENT_SCOPE)
endfunction()

# A path as the Ninja generator writes it in build.ninja: relative to the top
# binary directory when it lies below it, absolute otherwise.
function(_korvane_ninja_path path result)
  cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${path}" NORMALIZE inside)
  if(inside)
    file(RELATIVE_PATH path "${CMAKE_BINARY_DIR}" "${path}")
  endif()
  if(CMAKE_NINJA_OUTPUT_PATH_PREFIX)
    set(path "${CMAKE_NINJA_OUTPUT_PATH_PREFIX}${path}")
  endif()
  set(${result} "${path}" PARENT_SCOPE)
endfunction()

# One DRM skin per output directory: the DRM definition file has one name.
function(_korvane_claim_datafiles target output_dir)
  set(property "_KORVANE_DATAFILES_${output_dir}")
  get_property(owner GLOBAL PROPERTY "${property}")
  if(owner)
    message(FATAL_ERROR
      "korvane_add_skin(${target}): ${target} and ${owner} are DRM skins that would both "
      "write ${output_dir}/datafiles.def; give one of them an OUTPUT_DIR of its own")
  endif()
  set_property(GLOBAL PROPERTY "${property}" "${target}")
endfunction()

function(korvane_add_skin target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "DRM"
                        "DESCRIPTION;SKIN_NAME;EXTENSION_LIST;OUTPUT_DIR;LIST_DIR" "OPTIONS")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "korvane_add_skin(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required DESCRIPTION SKIN_NAME)
    if(NOT ARG_${required})
      message(FATAL_ERROR "korvane_add_skin(${target}): ${required} is required")
    endif()
  endforeach()

  get_filename_component(description "${ARG_DESCRIPTION}" ABSOLUTE
                         BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(working_dir "${description}" DIRECTORY)
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  get_filename_component(output_dir "${ARG_OUTPUT_DIR}" ABSOLUTE
                         BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  if(ARG_LIST_DIR)
    get_filename_component(list_dir "${ARG_LIST_DIR}" ABSOLUTE
                           BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    set(list_dir "${output_dir}")
  endif()
  set(depfile "${CMAKE_CURRENT_BINARY_DIR}/korvane/${target}.d")

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${description}")
  _korvane_skin_is_scalable("${description}" scalable)
  if(scalable)
    set(list "${list_dir}/${ARG_SKIN_NAME}_MIFList.txt")
  else()
    set(list "${list_dir}/${ARG_SKIN_NAME}_MBMList.txt")
  endif()
  set(outputs "${list}" "${output_dir}/${ARG_SKIN_NAME}.skn" "${output_dir}/${ARG_SKIN_NAME}.pkg")

  set(arguments ${ARG_OPTIONS} --quiet "--depfile=${depfile}" --depfile-absolute
                "-m${list_dir}" "-t${output_dir}")
  set(inputs "${description}")
  if(ARG_EXTENSION_LIST)
    get_filename_component(extension_list "${ARG_EXTENSION_LIST}" ABSOLUTE
                           BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND arguments "-i${extension_list}")
    list(APPEND inputs "${extension_list}")
  endif()
  if(ARG_DRM)
    _korvane_claim_datafiles("${target}" "${output_dir}")
    list(APPEND arguments --drm)
    list(APPEND outputs "${output_dir}/datafiles.def")
  endif()
  set(after_compile "")
  if(CMAKE_GENERATOR MATCHES "^Ninja")
    _korvane_ninja_path("${list}" first_output)
    list(APPEND arguments "--depfile-target=${first_output}")
  elseif(CMAKE_GENERATOR MATCHES "Makefiles")
    # The Makefile generators add what a new dependency file names to what
    # they gathered before, so an image once deleted would stay a
    # prerequisite (and rebuild the skin at every build). Without their
    # gathered list they read the new file alone.
    set(after_compile COMMAND "${CMAKE_COMMAND}" -E rm -f
        "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.dir/compiler_depend.internal")
  endif()
  file(MAKE_DIRECTORY "${output_dir}" "${list_dir}" "${CMAKE_CURRENT_BINARY_DIR}/korvane")

  add_custom_command(
    OUTPUT ${outputs}
    COMMAND Korvane::korvane ${arguments} "${description}" "${ARG_SKIN_NAME}"
    ${after_compile}
    DEPENDS ${inputs} "$<TARGET_FILE:Korvane::korvane>"
    DEPFILE "${depfile}"
    WORKING_DIRECTORY "${working_dir}"
    COMMENT "Compiling skin ${ARG_SKIN_NAME}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

cmake_policy(POP)
