# cmake -DPACKAGE=svcmp-VERSION-windows-x86.zip -DOUT=... -P unpack_package.cmake
# Unpacks the release zip afresh, as a modder would, for the tests that run
# the programs from it.
if(NOT EXISTS ${PACKAGE})
  message(FATAL_ERROR "${PACKAGE} is missing; scripts/package makes it")
endif()
file(REMOVE_RECURSE ${OUT})
file(ARCHIVE_EXTRACT INPUT ${PACKAGE} DESTINATION ${OUT})
