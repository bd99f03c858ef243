# cmake -P script behind svcmp_blender_addon_zip: stages the add-on's files
# as svcmp_addon/ (its version set to the project's, the export script
# beside them, then the note or the bundled programs) and zips them in a
# fixed order with a fixed modification time.
# Variables: SOURCES (|-separated, the add-on's .py files and the export
# script), VERSION, OUT, STAGE, SHIPPED (optional: the installed cmptool's
# path), BUNDLE (optional, |-separated: programs for svcmp_addon/cmptool/,
# stripped with STRIP where given, as the packages' own copies are).
string(REPLACE "|" ";" SOURCES "${SOURCES}")
string(REPLACE "|" ";" BUNDLE "${BUNDLE}")
file(REMOVE_RECURSE ${STAGE})
set(folder ${STAGE}/svcmp_addon)
file(MAKE_DIRECTORY ${folder})
set(members)
foreach(source IN LISTS SOURCES)
  get_filename_component(name ${source} NAME)
  file(READ ${source} text)
  if(name STREQUAL "__init__.py")
    string(REPLACE "." ", " tuple ${VERSION})
    string(REGEX REPLACE "\"version\": \\([0-9, ]*\\)" "\"version\": (${tuple})" text "${text}")
  endif()
  file(WRITE ${folder}/${name} "${text}")
  list(APPEND members svcmp_addon/${name})
endforeach()
if(SHIPPED)
  file(WRITE ${folder}/shipped_cmptool.txt "${SHIPPED}\n")
  list(APPEND members svcmp_addon/shipped_cmptool.txt)
endif()
foreach(program IN LISTS BUNDLE)
  get_filename_component(name ${program} NAME)
  file(COPY ${program} DESTINATION ${folder}/cmptool)
  if(STRIP)
    execute_process(COMMAND ${STRIP} ${folder}/cmptool/${name} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "could not strip ${folder}/cmptool/${name}")
    endif()
  endif()
  list(APPEND members svcmp_addon/cmptool/${name})
endforeach()
list(SORT members)
file(REMOVE ${OUT})
get_filename_component(outFolder ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${outFolder})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip "--mtime=2000-01-01 00:00:00 UTC"
                        ${members}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip the Blender add-on into ${OUT}")
endif()
