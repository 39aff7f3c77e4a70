// What a pad's note label shows: a key held on the pad, a voice still ringing
// after the release, or silence. The audio thread publishes it per pad as a
// plain value; the editor reads it when it paints.
#pragma once

#include <cstdint>

enum class NoteActivity : uint8_t { Idle, Ringing, Held };

// A pad's activity counter holds this much per held key, plus 1 per voice.
constexpr int32_t kHeldActivity = 1000;

inline NoteActivity noteActivityOf(int32_t counter) {
    if (counter >= kHeldActivity) return NoteActivity::Held;
    return counter > 0 ? NoteActivity::Ringing : NoteActivity::Idle;
}
