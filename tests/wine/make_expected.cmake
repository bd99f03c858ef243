# cmake -DCMPTOOL=... -DEXAMPLES=... -DOUT=... -P make_expected.cmake
# What the Linux cmptool writes for the exports that the scenarios play
# through the dialogs and that cmptool.exe makes under wine; the Windows
# files must match them byte for byte.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
function(export model output)
  execute_process(COMMAND ${CMPTOOL} export ${model} -o ${output} ${ARGN} --quiet
                  WORKING_DIRECTORY ${OUT} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmptool export ${model} ${ARGN} failed")
  endif()
endfunction()
set(ship ${EXAMPLES}/sample_ship)
export(${ship}.json ${OUT}/defaults.cmp)
file(COPY_FILE ${OUT}/defaults.cmp ${OUT}/update-lod1.cmp)
export(${ship}.json ${OUT}/update-lod1.cmp --update --lod 1)
export(${ship}.obj ${OUT}/sample_ship_obj.cmp)
export(${ship}.glb ${OUT}/sample_ship_glb.cmp)
export(${ship}.obj ${OUT}/sample_ship_groups.cmp --groups 1,2,1)
# --game-ready names the libraries after the file: the same name as cmptool.exe's.
file(MAKE_DIRECTORY ${OUT}/game_ready)
export(${ship}.obj ${OUT}/game_ready/ship.cmp --groups 1,2,1 --game-ready)
export(${ship}.obj ${OUT}/sample_ship_auto_lod.cmp --auto-lod)
export(${ship}.obj ${OUT}/sample_ship_simplify.cmp --simplify 0.5)
