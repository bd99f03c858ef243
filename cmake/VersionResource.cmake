# svcmp_add_version_resource(TARGET FILE_NAME DESCRIPTION): the Windows build
# gives the program or DLL a version resource from project(VERSION), so its
# properties show which release it is; other builds have none.
function(svcmp_add_version_resource target fileName description)
  if(NOT WIN32)
    return()
  endif()
  set(SVCMP_VERSION_TARGET ${target})
  set(SVCMP_VERSION_FILE ${fileName})
  set(SVCMP_VERSION_DESCRIPTION ${description})
  if(fileName MATCHES "\\.dll$")
    set(SVCMP_VERSION_FILE_TYPE VFT_DLL)
  else()
    set(SVCMP_VERSION_FILE_TYPE VFT_APP)
  endif()
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
