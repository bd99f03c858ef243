# cmake -DWINE=... -DCMPTOOL=cmptool.exe -DMODEL=... -DEXPECTED=... -DWORK=...
#       ["-DOPTIONS=--groups 1,2,1"] -P cmptool_export.cmake
# Exports MODEL with cmptool.exe under wine, from a folder of its own, with
# the export OPTIONS (separated by spaces), and compares the written file byte for byte
# with the Linux cmptool's; the collision file too where the Linux export wrote one.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
# A modder passes a Windows path; one that starts with a slash would read as
# an option there.
execute_process(COMMAND ${WINE} winepath -w ${MODEL} OUTPUT_VARIABLE windowsModel
                OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(options UNIX_COMMAND "${OPTIONS}")
execute_process(COMMAND ${WINE} ${CMPTOOL} export ${windowsModel} -o ship.cmp --quiet ${options}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE messages)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmptool.exe export ${MODEL} ended with ${status}: ${messages}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/ship.cmp ${EXPECTED}
                RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "cmptool.exe's export of ${MODEL} differs from the Linux cmptool's ${EXPECTED}")
endif()
get_filename_component(expectedFolder ${EXPECTED} DIRECTORY)
get_filename_component(expectedName ${EXPECTED} NAME_WLE)
set(expectedCollision ${expectedFolder}/${expectedName}.sur)
if(EXISTS ${expectedCollision})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/ship.sur ${expectedCollision}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "cmptool.exe's collision file of ${MODEL} differs from the Linux cmptool's ${expectedCollision}")
  endif()
endif()
