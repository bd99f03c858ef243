# cmake -DCMPTOOL=... -DMODEL=... -DOUT=... -P make_expected.cmake
# What the Linux cmptool writes for the exports the scenarios play through
# the dialogs; the plug-in's files must match them byte for byte.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
function(run)
  execute_process(COMMAND ${CMPTOOL} export ${MODEL} ${ARGN} --quiet
                  WORKING_DIRECTORY ${OUT} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmptool export ${ARGN} failed")
  endif()
endfunction()
run(-o ${OUT}/defaults.cmp)
file(COPY_FILE ${OUT}/defaults.cmp ${OUT}/update-lod1.cmp)
run(-o ${OUT}/update-lod1.cmp --update --lod 1)
