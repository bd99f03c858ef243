# Cross build of the Windows plug-in: the host is a 32-bit program, so the
# DLL and the programs that load it are i686.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SVCMP_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SVCMP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SVCMP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SVCMP_MINGW_PREFIX}-windres)
set(CMAKE_STRIP ${SVCMP_MINGW_PREFIX}-strip)

# SVCMP_WINDOWS_ASSIMP, SVCMP_WINDOWS_MESHOPTIMIZER, SVCMP_WINDOWS_QHULL: the
# prefixes of the cross-built libraries that scripts/build-assimp-windows,
# scripts/build-meshoptimizer-windows and scripts/build-qhull-windows make;
# Debian ships none of them for mingw.
set(CMAKE_FIND_ROOT_PATH /usr/${SVCMP_MINGW_PREFIX} ${SVCMP_WINDOWS_ASSIMP}
    ${SVCMP_WINDOWS_MESHOPTIMIZER} ${SVCMP_WINDOWS_QHULL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x87 arithmetic rounds differently from the Linux build; SSE2 keeps every
# float of the written file bit-identical between the two.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Static runtime: the DLL must import only system DLLs, and the posix-thread
# toolchain otherwise pulls in libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# assimp's CMake package names minizip without a path; it lies beside assimp.
if(SVCMP_WINDOWS_ASSIMP)
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -L${SVCMP_WINDOWS_ASSIMP}/lib")
endif()
# A DLL without a .def file exports all its own functions, never the static
# runtime's.
set(CMAKE_SHARED_LINKER_FLAGS_INIT
    "-static -Wl,--exclude-libs=libgcc.a:libgcc_eh.a:libstdc++.a:libwinpthread.a:libmingwex.a:libmingw32.a")

# The header-only libraries (JSON, CLI11, fast_float) come from the build machine, whose
# /usr/include must never reach the Windows compiler: its C headers are
# glibc's. Package redirects give both libraries a target that sees only
# their own folders.
set(SVCMP_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
foreach(library nlohmann CLI fast_float)
  if(EXISTS /usr/include/${library} AND NOT EXISTS ${SVCMP_HEADER_ONLY_DIR}/${library})
    file(MAKE_DIRECTORY ${SVCMP_HEADER_ONLY_DIR})
    file(CREATE_LINK /usr/include/${library} ${SVCMP_HEADER_ONLY_DIR}/${library} SYMBOLIC)
  endif()
endforeach()
foreach(package nlohmann_json:nlohmann_json CLI11:CLI11 FastFloat:fast_float)
  string(REPLACE ":" ";" parts ${package})
  list(GET parts 0 name)
  list(GET parts 1 target)
  # find_package looks for the redirect under the package's lower-case name.
  string(TOLOWER ${name} fileName)
  file(WRITE ${CMAKE_BINARY_DIR}/CMakeFiles/pkgRedirects/${fileName}-config.cmake
    "if(NOT TARGET ${name}::${target})
  add_library(${name}::${target} INTERFACE IMPORTED)
  set_target_properties(${name}::${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${SVCMP_HEADER_ONLY_DIR})
endif()
")
  file(WRITE ${CMAKE_BINARY_DIR}/CMakeFiles/pkgRedirects/${fileName}-config-version.cmake
    "set(PACKAGE_VERSION 99)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
endforeach()

# One folder for every DLL and program, so each finds the others.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
