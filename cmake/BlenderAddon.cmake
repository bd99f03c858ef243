# svcmp_blender_addon_zip(TARGET ZIP [SHIPPED PATH] [BUNDLE TARGETS...]):
# the target TARGET makes ZIP, the Blender add-on as Blender's "Install
# add-on" takes it, with the export script cmptool carries (cli/), so both
# routes write the scene alike. SHIPPED names the cmptool a package
# installs; BUNDLE puts programs into the add-on's own cmptool/ folder.
set(SVCMP_BLENDER_ADDON_SOURCES
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/__init__.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/axis_arrow.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/cmptool.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/model_import.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/node_properties.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/object_panels.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/options.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/preferences.py
  ${PROJECT_SOURCE_DIR}/blender/svcmp_addon/scene_export.py
  ${PROJECT_SOURCE_DIR}/cli/blender_export.py
)

function(svcmp_blender_addon_zip target zip)
  cmake_parse_arguments(PARSE_ARGV 2 addon "" "SHIPPED" "BUNDLE")
  set(bundle)
  foreach(program IN LISTS addon_BUNDLE)
    list(APPEND bundle $<TARGET_FILE:${program}>)
  endforeach()
  # Lists travel to the script joined by "|": a ";" would split the
  # command's arguments.
  string(REPLACE ";" "|" sources "${SVCMP_BLENDER_ADDON_SOURCES}")
  string(REPLACE ";" "|" bundled "${bundle}")
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} "-DSOURCES=${sources}" -DVERSION=${PROJECT_VERSION} -DOUT=${zip}
            -DSTAGE=${CMAKE_CURRENT_BINARY_DIR}/${target}-stage "-DSHIPPED=${addon_SHIPPED}"
            "-DBUNDLE=${bundled}" "-DSTRIP=${CMAKE_STRIP}" -P ${PROJECT_SOURCE_DIR}/cmake/BlenderAddonZip.cmake
    DEPENDS ${SVCMP_BLENDER_ADDON_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/BlenderAddonZip.cmake
            ${addon_BUNDLE}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${zip})
endfunction()
