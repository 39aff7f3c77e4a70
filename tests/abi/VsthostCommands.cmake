# Runs the vsthost commands as a user would and checks what they print and
# write. EMULATOR runs vsthost.exe under wine; OUT_PATH is OUT_DIR as the
# host program names it.
# cmake -DEMULATOR=... -DVSTHOST=... -DPLUGIN=... -DOUT_DIR=... -DOUT_PATH=... -P VsthostCommands.cmake

cmake_minimum_required(VERSION 3.22)

function(vsthost expect_success)
  execute_process(COMMAND ${EMULATOR} "${VSTHOST}" ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
  if(expect_success AND NOT result EQUAL 0)
    message(FATAL_ERROR "vsthost ${ARGN} failed (${result}):\n${out}${err}")
  elseif(NOT expect_success AND result EQUAL 0)
    message(FATAL_ERROR "vsthost ${ARGN} succeeded, expected a failure:\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected /${pattern}/ in:\n${text}")
  endif()
endfunction()

# Identity.
vsthost(TRUE info "${PLUGIN}")
expect("${out}" "effect name +zel001\n")
expect("${out}" "vendor +zel\n")
expect("${out}" "product +Drum machine\n")
expect("${out}" "vendor version +300\n")
expect("${out}" "magic +0x56737450\n")
expect("${out}" "uniqueID +0x6B716D72\n")
expect("${out}" "parameters +240\n")
expect("${out}" "outputs +16\n")
expect("${out}" "flags +0x131\n")
expect("${out}" "category +2\n")
expect("${out}" "canDo receiveVstMidiEvent +1\n")
expect("${out}" " 9 +Sample rate +\\[Hz\\] +192 +1\\.000000\n")

# Under wine every start costs seconds: the parameter listing and the
# argument parsing, the same code on both systems, are checked natively only.
if(NOT EMULATOR)
# All 240 parameters; a --param shows in the listing.
vsthost(TRUE params "${PLUGIN}" --param 17=1.0)
string(REGEX MATCHALL "\n +[0-9]+ " rows "\n${out}")
list(LENGTH rows count)
if(NOT count EQUAL 240)
  message(FATAL_ERROR "params listed ${count} parameters, expected 240:\n${out}")
endif()
expect("${out}" " 17 +Volume +\\[%\\] +200 +1\\.000000\n")
expect("${out}" "239 +Pitch-X +\\[%\\] +0 +0\\.500000\n")
# The host's screen scale, as the plug-in answers it.
vsthost(TRUE run "${PLUGIN}" --scale 1.5)
expect("${out}" "scale 1\\.5: 1\n")
vsthost(TRUE run "${PLUGIN}" --scale -2)
expect("${out}" "scale -2: 0\n")
endif()

# A render: a 16-channel float WAV of the requested length. No samples are
# loaded, so every sample is zero.
file(REMOVE "${OUT_DIR}/render.wav")
vsthost(TRUE run "${PLUGIN}" --rate 48000 --block 300 --midi "0:0x90:36:100,450:144:38:90"
        --render 1000 "${OUT_PATH}/render.wav")
file(SIZE "${OUT_DIR}/render.wav" size)
if(NOT size EQUAL 64044)
  message(FATAL_ERROR "render.wav has ${size} bytes, expected 44 + 1000 frames x 16 x 4")
endif()
file(READ "${OUT_DIR}/render.wav" header LIMIT 44 HEX)
# RIFF, size, WAVE, "fmt " of 16 bytes, tag 3, 16 channels, 48000 Hz,
# 3072000 bytes/s, 64-byte frames, 32 bits, "data" of 64000 bytes.
expect("${header}" "^5249464624fa000057415645666d7420100000000300100080bb000000e02e00400020006461746100fa0000$")
file(READ "${OUT_DIR}/render.wav" data OFFSET 44 HEX)
expect("${data}" "^0+$")

# Mistakes are reported, naming what went wrong.
vsthost(FALSE info "${OUT_PATH}/no-such-plugin.bin")
expect("${err}" "no-such-plugin\\.bin")
if(NOT EMULATOR)
  vsthost(FALSE)
  expect("${err}" "^usage: vsthost ")
  vsthost(FALSE info "${PLUGIN}" --block)
  expect("${err}" "^usage: vsthost ")
  vsthost(FALSE run "${PLUGIN}" --midi "10:0x90:36")
  expect("${err}" "^usage: vsthost ")
  vsthost(FALSE info "${PLUGIN}" --version 0)
  expect("${err}" "made no instance")
endif()
