# Installs the tree into a private prefix and validates the installed
# bundle with lv2_validate and sord_validate (against every LV2 vocabulary
# installed on the system):
#   cmake -DBUILD=<tree> -DLV2_VALIDATE=... -DSORD_VALIDATE=... -P ValidateInstalled.cmake
set(prefix ${BUILD}/lv2-install)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
  RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(bundle ${prefix}/lib/lv2/zel001.lv2)
foreach(file manifest.ttl zel001.ttl demo.ttl zel001_lv2.so zel001_ui.so)
  if(NOT EXISTS ${bundle}/${file})
    message(FATAL_ERROR "the installed bundle lacks ${file}")
  endif()
endforeach()
if(NOT EXISTS ${prefix}/lib/vst/zel001_x64.so)
  message(FATAL_ERROR "the VST library is not installed in lib/vst")
endif()
file(GLOB ours ${bundle}/*.ttl)
# The LV2 vocabularies alone, as lv2_validate takes them: the bundles of the
# extensions whose headers are installed and the schemas they use, not other
# plug-ins on the system.
file(GLOB extensions LIST_DIRECTORIES true RELATIVE /usr/include/lv2 /usr/include/lv2/*)
set(vocabularies)
foreach(extension IN LISTS extensions ITEMS schemas)
  file(GLOB found /usr/lib/lv2/${extension}.lv2/*.ttl)
  list(APPEND vocabularies ${found})
endforeach()
if(NOT vocabularies)
  message(FATAL_ERROR "no LV2 vocabularies under /usr/lib/lv2")
endif()
execute_process(COMMAND ${LV2_VALIDATE} ${ours} RESULT_VARIABLE lv2result
  OUTPUT_VARIABLE lv2out ERROR_VARIABLE lv2out)
execute_process(COMMAND ${SORD_VALIDATE} ${vocabularies} ${ours} RESULT_VARIABLE sordresult
  OUTPUT_VARIABLE sordout ERROR_VARIABLE sordout)
# Keep the long preset literal out of the log.
string(REGEX REPLACE "[A-Za-z0-9+/=]{200,}" "<base64>" lv2out "${lv2out}")
string(REGEX REPLACE "[A-Za-z0-9+/=]{200,}" "<base64>" sordout "${sordout}")
message(STATUS "lv2_validate: ${lv2out}")
message(STATUS "sord_validate: ${sordout}")
if(NOT lv2result EQUAL 0 OR NOT lv2out MATCHES "Found 0 errors")
  message(FATAL_ERROR "lv2_validate found errors")
endif()
if(NOT sordresult EQUAL 0 OR NOT sordout MATCHES "Found 0 errors")
  message(FATAL_ERROR "sord_validate found errors")
endif()

# make package's Debian package puts each part where hosts look.
set(packaged ${BUILD}/lv2-package)
file(REMOVE_RECURSE ${packaged})
execute_process(COMMAND cpack -G DEB -B ${packaged} WORKING_DIRECTORY ${BUILD}
  RESULT_VARIABLE packedResult OUTPUT_QUIET)
file(GLOB debs ${packaged}/zel001_*.deb)
if(NOT packedResult EQUAL 0 OR NOT debs)
  message(FATAL_ERROR "cpack made no Debian package")
endif()
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE listing)
foreach(path ./usr/bin/zel ./usr/lib/zel/zelimport.so ./usr/lib/vst/zel001_x64.so ./usr/lib/lv2/zel001.lv2/manifest.ttl
             ./usr/lib/lv2/zel001.lv2/zel001_lv2.so ./usr/lib/lv2/zel001.lv2/zel001_ui.so)
  string(FIND "${listing}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks ${path}:\n${listing}")
  endif()
endforeach()
message(STATUS "the package holds zel and its import module, the VST library and the LV2 bundle")
