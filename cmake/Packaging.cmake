# Release packages with CPack, named after project(VERSION): the Windows
# build makes the zip for modders, the native build the Debian package.
# scripts/package builds both into dist/.

set(CPACK_PACKAGE_NAME svcmp)
set(CPACK_PACKAGE_VENDOR "the svcmp authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exporter of Starvane compound model (.cmp) files")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

set(SVCMP_SAMPLE_SHIP
  ${PROJECT_SOURCE_DIR}/examples/sample_ship.obj
  ${PROJECT_SOURCE_DIR}/examples/sample_ship.mtl
  ${PROJECT_SOURCE_DIR}/examples/sample_ship.json
  ${PROJECT_SOURCE_DIR}/examples/sample_ship.glb
  ${PROJECT_SOURCE_DIR}/examples/sample_ship_hull.png
  ${PROJECT_SOURCE_DIR}/examples/turret_ship.json
)

# svcmp_third_party_licence(NAME FILE DESTINATION): ships the licence text of
# a library that a package carries as DESTINATION/NAME.txt. The texts are
# Debian's copyright files of the packages we build with.
function(svcmp_third_party_licence name file destination)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "the licence text of ${name} is missing: ${file}")
  endif()
  install(FILES ${file} DESTINATION ${destination} RENAME ${name}.txt)
endfunction()

if(WIN32)
  # Unpacks into one folder: the plug-in apart from cmptool, whose folder
  # also holds our stand-in of the host's model library, which must never
  # land in the host's folder.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME svcmp-${PROJECT_VERSION}-windows-x86)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

  install(TARGETS cmp_exporter RUNTIME DESTINATION plugin
          ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
  install(TARGETS cmptool host RUNTIME DESTINATION cmptool
          ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
  if(TARGET svcmp-import)
    install(TARGETS svcmp-import RUNTIME DESTINATION cmptool)
  endif()
  # The Blender add-on carries cmptool, its importer and the model library,
  # so a modder installs one zip into Blender and needs nothing else.
  set(addonBundle cmptool host)
  if(TARGET svcmp-import)
    list(APPEND addonBundle svcmp-import)
  endif()
  set(addonZip ${PROJECT_BINARY_DIR}/package-addon/svcmp_addon-${PROJECT_VERSION}.zip)
  svcmp_blender_addon_zip(blender_addon_package ${addonZip} BUNDLE ${addonBundle})
  install(FILES ${addonZip} DESTINATION blender)
  install(FILES README.md DESTINATION . RENAME README.txt)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${SVCMP_SAMPLE_SHIP} DESTINATION examples)

  # What the programs carry inside: the compiler's C++ runtime and the
  # mingw-w64 runtime (static), the header-only JSON, command-line and image
  # libraries, the importer's assimp with its zlib and minizip, and
  # cmptool's meshoptimizer and Qhull.
  set(licences third-party)
  svcmp_third_party_licence(gcc-runtime /usr/share/doc/gcc-mingw-w64-base/copyright ${licences})
  svcmp_third_party_licence(mingw-w64-runtime /usr/share/doc/mingw-w64-i686-dev/copyright ${licences})
  svcmp_third_party_licence(nlohmann-json /usr/share/doc/nlohmann-json3-dev/copyright ${licences})
  svcmp_third_party_licence(cli11 /usr/share/doc/libcli11-dev/copyright ${licences})
  svcmp_third_party_licence(stb /usr/share/doc/libstb-dev/copyright ${licences})
  if(SVCMP_WINDOWS_ASSIMP)
    set(assimpLicences ${SVCMP_WINDOWS_ASSIMP}/share/licenses)
    svcmp_third_party_licence(assimp ${assimpLicences}/assimp-LICENSE ${licences})
    svcmp_third_party_licence(assimp-and-contrib ${assimpLicences}/assimp-debian-copyright ${licences})
    svcmp_third_party_licence(minizip ${assimpLicences}/minizip-debian-copyright ${licences})
    svcmp_third_party_licence(zlib /usr/share/doc/libz-mingw-w64-dev/copyright ${licences})
    svcmp_third_party_licence(utf8cpp /usr/share/doc/libutfcpp-dev/copyright ${licences})
  endif()
  if(SVCMP_WINDOWS_MESHOPTIMIZER)
    svcmp_third_party_licence(meshoptimizer
      ${SVCMP_WINDOWS_MESHOPTIMIZER}/share/licenses/meshoptimizer-debian-copyright ${licences})
  endif()
  if(SVCMP_WINDOWS_QHULL)
    svcmp_third_party_licence(qhull ${SVCMP_WINDOWS_QHULL}/share/licenses/qhull-COPYING.txt ${licences})
    svcmp_third_party_licence(qhull-debian
      ${SVCMP_WINDOWS_QHULL}/share/licenses/qhull-debian-copyright ${licences})
  endif()
else()
  # Installs under /usr; the libraries come from Debian's packages, found by
  # dpkg-shlibdeps from what the programs link.
  set(CPACK_GENERATOR DEB)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE debianArchitecture
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debianArchitecture})
  set(CPACK_DEBIAN_FILE_NAME svcmp_${PROJECT_VERSION}_${debianArchitecture}.deb)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the svcmp authors")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # .blend files are read by running Blender, whose glTF exporter needs numpy.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "blender, python3-numpy")
  set(CPACK_PACKAGE_DESCRIPTION
      "cmptool exports 3-D models (OBJ, glTF, FBX, COLLADA, 3DS, Blender's .blend through Blender, or JSON model documents) into the compound model files (.cmp) of the space game Starvane, and looks inside UTF files. A Blender add-on (in /usr/share/svcmp/blender) puts its export and import into Blender's File menu.")

  install(TARGETS cmptool RUNTIME DESTINATION bin)
  if(TARGET svcmp-import)
    # cmptool starts the importer from its own folder.
    install(TARGETS svcmp-import RUNTIME DESTINATION bin)
  endif()
  # The Blender add-on, which runs the packaged cmptool.
  set(addonZip ${PROJECT_BINARY_DIR}/package-addon/svcmp_addon-${PROJECT_VERSION}.zip)
  svcmp_blender_addon_zip(blender_addon_package ${addonZip}
                          SHIPPED ${CPACK_PACKAGING_INSTALL_PREFIX}/bin/cmptool)
  install(FILES ${addonZip} DESTINATION share/svcmp/blender)
  set(doc share/doc/svcmp)
  install(FILES README.md DESTINATION ${doc})
  install(FILES LICENSE DESTINATION ${doc} RENAME copyright)
  install(FILES ${SVCMP_SAMPLE_SHIP} DESTINATION ${doc}/examples)
  # Compiled in from header-only libraries; the shared ones bring their own.
  svcmp_third_party_licence(nlohmann-json /usr/share/doc/nlohmann-json3-dev/copyright ${doc}/third-party)
  svcmp_third_party_licence(cli11 /usr/share/doc/libcli11-dev/copyright ${doc}/third-party)
  svcmp_third_party_licence(stb /usr/share/doc/libstb-dev/copyright ${doc}/third-party)

  # The manual page is cmptool's own --help, made by help2man where it is
  # installed; scripts/package installs it and builds cmptool_manual.
  find_program(SVCMP_HELP2MAN help2man)
  if(SVCMP_HELP2MAN)
    set(manPage ${PROJECT_BINARY_DIR}/cmptool.1)
    set(commands ${PROJECT_BINARY_DIR}/cmptool-commands.h2m)
    add_custom_command(
      OUTPUT ${manPage}.gz
      COMMAND ${CMAKE_COMMAND} -DCMPTOOL=$<TARGET_FILE:cmptool> -DOUT=${commands}
              -P ${PROJECT_SOURCE_DIR}/cmake/ManualCommands.cmake
      COMMAND ${SVCMP_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
              "--name=export and inspect Starvane compound model (.cmp) files"
              --include=${commands} --output=${manPage} $<TARGET_FILE:cmptool>
      COMMAND gzip -9nf ${manPage}
      DEPENDS cmptool ${PROJECT_SOURCE_DIR}/cmake/ManualCommands.cmake
      VERBATIM)
    add_custom_target(cmptool_manual DEPENDS ${manPage}.gz)
    install(FILES ${manPage}.gz DESTINATION share/man/man1 OPTIONAL)
  endif()
endif()

include(CPack)
