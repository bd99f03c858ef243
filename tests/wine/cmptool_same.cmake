# cmake -DWINE=... -DCMPTOOL=cmptool.exe -DNATIVE=cmptool -DWORK=... "-DINPUTS=a.cmp;b.obj"
#       "-DARGS=preview a.cmp -o a.png" [-DOUTPUT=a.png] -P cmptool_same.cmake
# Runs one cmptool command with the Linux cmptool and with cmptool.exe under
# wine, each in a folder of its own that holds copies of the INPUTS, and
# compares what they made byte for byte: the file OUTPUT, else what they
# printed on stdout, and their exit statuses. The paths are relative, as a
# path that starts with a slash would read as an option to cmptool.exe.
file(REMOVE_RECURSE ${WORK})
separate_arguments(arguments UNIX_COMMAND "${ARGS}")
foreach(side linux windows)
  file(MAKE_DIRECTORY ${WORK}/${side})
  file(COPY ${INPUTS} DESTINATION ${WORK}/${side})
endforeach()
execute_process(COMMAND ${NATIVE} ${arguments} WORKING_DIRECTORY ${WORK}/linux
                RESULT_VARIABLE linuxStatus OUTPUT_FILE ${WORK}/linux.out
                ERROR_VARIABLE linuxMessages)
execute_process(COMMAND ${WINE} ${CMPTOOL} ${arguments} WORKING_DIRECTORY ${WORK}/windows
                RESULT_VARIABLE windowsStatus OUTPUT_FILE ${WORK}/windows.out
                ERROR_VARIABLE windowsMessages)
if(NOT linuxStatus STREQUAL windowsStatus)
  message(FATAL_ERROR "cmptool ${ARGS} ended with ${linuxStatus}, cmptool.exe with "
                      "${windowsStatus}:\n${linuxMessages}\n${windowsMessages}")
endif()
if(OUTPUT)
  set(linuxMade ${WORK}/linux/${OUTPUT})
  set(windowsMade ${WORK}/windows/${OUTPUT})
else()
  set(linuxMade ${WORK}/linux.out)
  set(windowsMade ${WORK}/windows.out)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${linuxMade} ${windowsMade}
                RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "cmptool.exe ${ARGS} made other bytes than the Linux cmptool: "
                      "${windowsMade} against ${linuxMade}")
endif()
