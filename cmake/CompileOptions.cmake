# One place for the flags every target of ours gets.
# -ffp-contract=off: the file's floats must come out bit for bit the same on
# every compiler and platform, so no fused multiply-adds.
add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off)
if(SVCMP_WERROR)
  add_compile_options(-Werror)
endif()
if(SVCMP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
