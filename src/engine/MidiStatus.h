// MIDI status kinds, with the channel bits cleared, and the two controllers
// that release every held key. The engine acts on note-ons and note-offs;
// the host binding reads the rest.
#pragma once

#include <cstdint>

namespace midi {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kSystem = 0xF0;  // 0xF0 and above: system messages, no channel

constexpr uint8_t kKindBits = 0xF0;
constexpr uint8_t kChannelBits = 0x0F;
constexpr uint8_t kDataBits = 0x7F;

constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kAllNotesOff = 123;

}  // namespace midi
