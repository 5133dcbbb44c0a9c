# Builds the per-machine MSI from an installed program folder with wixl (Debian's msitools).
# cpack calls it through external.cmake; the package check calls it alone to make an older package:
#   cmake -DSTAGE=<program folder> -DVERSION=<x.y> -DOUTPUT=<file.msi> -P msi.cmake
set(TRELLWIPE_WXS "${CMAKE_CURRENT_LIST_DIR}/Trellwipe.wxs")

function(trellwipe_make_msi stage version output)
  get_filename_component(scratch "${output}.wix" ABSOLUTE)
  file(REMOVE_RECURSE "${scratch}")
  file(MAKE_DIRECTORY "${scratch}")
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
  list(SORT files)
  list(TRANSFORM files PREPEND "${stage}/")
  string(REPLACE ";" "\n" listing "${files}")
  file(WRITE "${scratch}/files.txt" "${listing}\n")
  execute_process(COMMAND wixl-heat -p "${stage}/" --directory-ref INSTALLDIR --component-group ProgramFiles
                          --var var.SourceDir --win64
                  INPUT_FILE "${scratch}/files.txt" OUTPUT_VARIABLE fragment RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "wixl-heat failed")
  endif()
  file(WRITE "${scratch}/files.wxs" "${fragment}")
  # wixl finds the files relative to the folder it runs in.
  execute_process(COMMAND wixl -a x64 -D Win64=yes -D "Version=${version}" -D SourceDir=.
                          -o "${output}" "${TRELLWIPE_WXS}" "${scratch}/files.wxs"
                  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "wixl failed")
  endif()
  # wixl writes no conditions: the "start with Windows" feature is left out unless STARTWITHWINDOWS=1.
  # Only when installing: a feature left out while the package is removed would stay behind, and
  # the product with it.
  file(WRITE "${scratch}/Condition.idt"
       "Feature_\tLevel\tCondition\ns38\ti2\tS255\nCondition\tFeature_\tLevel\n"
       "StartWithWindows\t0\tSTARTWITHWINDOWS <> \"1\" AND NOT Installed\n")
  execute_process(COMMAND msibuild "${output}" -i "${scratch}/Condition.idt" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "msibuild could not add the conditions")
  endif()
  file(REMOVE_RECURSE "${scratch}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  trellwipe_make_msi("${STAGE}" "${VERSION}" "${OUTPUT}")
endif()
