# Checks what a plug-in binary shows a host and the system loader.
#   elf: the dynamic symbol table defines exactly VSTPluginMain and main.
#   pe:  the export table holds exactly VSTPluginMain and main, the export
#        directory names the module zel001_x64, and every imported DLL is a
#        Windows system DLL.
# cmake -DFORMAT=elf|pe -DTOOL=<nm|objdump> -DBINARY=<file> -P CheckExports.cmake

cmake_minimum_required(VERSION 3.22)

set(expected_exports "VSTPluginMain;main")
set(system_dlls kernel32 user32 gdi32 shell32 ole32 comdlg32 msvcrt)

function(fail message)
  message(FATAL_ERROR "${BINARY}: ${message}")
endfunction()

if(NOT EXISTS "${BINARY}")
  fail("no such file")
endif()

if(FORMAT STREQUAL "elf")
  execute_process(COMMAND "${TOOL}" -D --defined-only "${BINARY}"
                  OUTPUT_VARIABLE table RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    fail("${TOOL} failed")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${table}")
  set(exports "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
elseif(FORMAT STREQUAL "pe")
  execute_process(COMMAND "${TOOL}" -p "${BINARY}" OUTPUT_VARIABLE table RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    fail("${TOOL} failed")
  endif()

  if(NOT table MATCHES "\nName[ \t]+[0-9a-fA-F]+ ([^\n]*)\n")
    fail("no export directory")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL "zel001_x64")
    fail("export directory names the module \"${CMAKE_MATCH_1}\", not \"zel001_x64\"")
  endif()

  string(FIND "${table}" "[Ordinal/Name Pointer] Table" start)
  if(start LESS 0)
    fail("no export name table")
  endif()
  # The entries below the heading read "\t[   0] VSTPluginMain", up to a blank line.
  string(SUBSTRING "${table}" ${start} -1 names)
  string(FIND "${names}" "\n\n" end)
  string(SUBSTRING "${names}" 0 ${end} names)
  string(FIND "${names}" "\n" heading_end)
  string(SUBSTRING "${names}" ${heading_end} -1 names)
  string(REGEX REPLACE "\n[ \t]*\\[ *[0-9]+\\] " "\n" names "${names}")
  string(REGEX MATCHALL "[^\n]+" exports "${names}")

  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
  if(imports STREQUAL "")
    fail("imports nothing: not a plug-in built by this project")
  endif()
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: (.*)\\.[dD][lL][lL]$" "\\1" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-")
      fail("imports ${import}, which is no Windows system DLL")
    endif()
  endforeach()
else()
  message(FATAL_ERROR "FORMAT must be elf or pe")
endif()

list(SORT exports)
if(NOT exports STREQUAL expected_exports)
  fail("exports \"${exports}\", expected exactly \"${expected_exports}\"")
endif()
message(STATUS "${BINARY}: exports ${exports}")
