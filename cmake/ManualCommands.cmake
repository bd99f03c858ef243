# cmake -DCMPTOOL=... -DOUT=... -P ManualCommands.cmake
# Writes a help2man include file with a COMMANDS section: the --help of every
# subcommand that cmptool --help lists, so the manual page shows all options.
execute_process(COMMAND ${CMPTOOL} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmptool --help failed")
endif()
string(REGEX REPLACE ".*\nSubcommands:\n" "" listing "${help}")
string(REGEX MATCHALL "(^|\n)  [a-z][a-z0-9-]*" commands "${listing}")
set(text "[COMMANDS]\n")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  execute_process(COMMAND ${CMPTOOL} ${command} --help OUTPUT_VARIABLE commandHelp)
  string(REPLACE "${CMPTOOL}" "cmptool" commandHelp "${commandHelp}")
  # Roff reads a backslash as an escape and a leading dot or quote as a request.
  string(REPLACE "\\" "\\e" commandHelp "${commandHelp}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" commandHelp "${commandHelp}")
  string(APPEND text ".SS ${command}\n.nf\n${commandHelp}.fi\n")
endforeach()
file(WRITE ${OUT} "${text}")
