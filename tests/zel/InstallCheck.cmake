# cmake -DBUILD=<tree> -DPREFIX=<dir> -DVSTHOST=<vsthost> -DGROOVE=<groove.mid>
#       -DDRUMKIT=<a Hydrogen drumkit folder> -P InstallCheck.cmake
# Installs the tree into a fresh prefix: the plug-in lands in lib/vst, zel in
# bin and its import module in lib/zel, and they work from there.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} failed (${result})")
endif()
foreach(file lib/vst/zel001_x64.so bin/zel lib/zel/zelimport.so)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "${file} is not installed under ${PREFIX}")
  endif()
endforeach()
execute_process(COMMAND "${VSTHOST}" info "${PREFIX}/lib/vst/zel001_x64.so"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed plug-in does not load (${result})")
endif()
execute_process(COMMAND "${PREFIX}/bin/zel" render "${GROOVE}" "${PREFIX}/demo.wav"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/demo.wav")
  message(FATAL_ERROR "the installed zel does not render (${result})")
endif()
execute_process(COMMAND "${PREFIX}/bin/zel" kit "${PREFIX}/imported.bin" --from "${DRUMKIT}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/imported.bin")
  message(FATAL_ERROR "the installed zel does not import ${DRUMKIT} (${result})")
endif()
file(REMOVE_RECURSE "${PREFIX}")
