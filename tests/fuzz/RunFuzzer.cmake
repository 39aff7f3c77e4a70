# Runs one fuzz target: cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DARTIFACTS=... [-DDICT=...] -P RunFuzzer.cmake
# The seeds are copied into WORK, which the fuzzer grows; crashes land in
# ARTIFACTS. DICT names the format's tags, which the fuzzer splices in.
set(seconds 20)
if(NOT "$ENV{FUZZ_SECONDS}" STREQUAL "")
  set(seconds "$ENV{FUZZ_SECONDS}")
endif()
if(NOT seconds MATCHES "^[0-9]+$")
  message(FATAL_ERROR "FUZZ_SECONDS must be a whole number of seconds, not '${seconds}'")
endif()

file(MAKE_DIRECTORY "${WORK}" "${ARTIFACTS}")
file(GLOB seeds "${SEEDS}/*")
if(seeds)
  file(COPY ${seeds} DESTINATION "${WORK}")
endif()

set(dictionary)
if(DICT)
  set(dictionary "-dict=${DICT}")
endif()
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${seconds} -detect_leaks=1 -print_final_stats=1
          ${dictionary} -artifact_prefix=${ARTIFACTS}/ "${WORK}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${ARTIFACTS}")
endif()
