# svcmp_embed_text(TARGET FILE HEADER NAME): the text of FILE becomes the
# constant NAME (a null-terminated char array) in HEADER, which TARGET
# includes by that name; so a program carries its resources and needs no
# file beside it. HEADER is made again whenever FILE changes, and only then
# touched.
function(svcmp_embed_text target file header name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} bytes HEX)
  string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${bytes}")
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  file(WRITE ${folder}/${header}.new
       "#pragma once\n// Made from ${file} by svcmp_embed_text.\n"
       "inline constexpr char ${name}[] = {${bytes}'\\0'};\n")
  configure_file(${folder}/${header}.new ${folder}/${header} COPYONLY)
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
