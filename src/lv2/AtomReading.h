// Reading atoms that a host or the other side of the binding hands us,
// trusting no size in them: every event, property and body is checked to lie
// inside what came before it is looked at.
#pragma once

#include <lv2/atom/atom.h>

#include <cstdint>
#include <cstring>

namespace atoms {

// The padded size of a body of size bytes.
inline uint64_t padded(uint64_t size) { return (size + 7u) & ~uint64_t{7}; }

// The atom at, when its header and body fit within the available bytes.
inline const LV2_Atom* atomWithin(const void* at, uint64_t available) {
    if (at == nullptr || available < sizeof(LV2_Atom)) return nullptr;
    const auto* atom = static_cast<const LV2_Atom*>(at);
    if (atom->size > available - sizeof(LV2_Atom)) return nullptr;
    return atom;
}

inline const void* bodyOf(const LV2_Atom* atom) { return atom + 1; }

// The events of a sequence, in order, each checked to fit.
class SequenceEvents {
public:
    // sequence: a checked atom (atomWithin) of the sequence type.
    explicit SequenceEvents(const LV2_Atom* sequence) {
        if (sequence == nullptr || sequence->size < sizeof(LV2_Atom_Sequence_Body)) return;
        const auto* bytes = static_cast<const uint8_t*>(bodyOf(sequence));
        unit = reinterpret_cast<const LV2_Atom_Sequence_Body*>(bytes)->unit;
        next = bytes + sizeof(LV2_Atom_Sequence_Body);
        end = bytes + sequence->size;
        advance();
    }
    const LV2_Atom_Event* current() const { return event; }
    uint32_t timeUnit() const { return unit; }
    void pop() { advance(); }

private:
    void advance() {
        event = nullptr;
        if (next == nullptr || end - next < static_cast<ptrdiff_t>(sizeof(LV2_Atom_Event))) return;
        const auto* candidate = reinterpret_cast<const LV2_Atom_Event*>(next);
        const uint64_t room = static_cast<uint64_t>(end - next) - sizeof(LV2_Atom_Event);
        if (candidate->body.size > room) {
            next = end;  // a damaged event: nothing after it can be found
            return;
        }
        event = candidate;
        const uint64_t step = sizeof(LV2_Atom_Event) + padded(candidate->body.size);
        next = step < static_cast<uint64_t>(end - next) ? next + step : end;
    }

    const uint8_t* next = nullptr;
    const uint8_t* end = nullptr;
    const LV2_Atom_Event* event = nullptr;
    uint32_t unit = 0;
};

// Calls visit(key, value) for each property of an object atom whose value
// fits; false when the atom is no object or a property does not fit.
template <class Visit>
bool forEachProperty(const LV2_Atom* object, uint32_t objectType, Visit&& visit) {
    if (object == nullptr || object->type != objectType || object->size < sizeof(LV2_Atom_Object_Body))
        return false;
    const auto* bytes = static_cast<const uint8_t*>(bodyOf(object));
    const uint8_t* at = bytes + sizeof(LV2_Atom_Object_Body);
    const uint8_t* end = bytes + object->size;
    while (at < end) {
        if (end - at < static_cast<ptrdiff_t>(sizeof(LV2_Atom_Property_Body))) return false;
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(at);
        const uint64_t room = static_cast<uint64_t>(end - at) - sizeof(LV2_Atom_Property_Body);
        if (property->value.size > room) return false;
        visit(property->key, &property->value);
        const uint64_t step = sizeof(LV2_Atom_Property_Body) + padded(property->value.size);
        at = step < static_cast<uint64_t>(end - at) ? at + step : end;
    }
    return true;
}

inline uint32_t otypeOf(const LV2_Atom* object) {
    return reinterpret_cast<const LV2_Atom_Object_Body*>(bodyOf(object))->otype;
}

// A value of a fixed-size type, when the atom is of that type and size.
template <class T>
bool valueOf(const LV2_Atom* atom, uint32_t type, T& out) {
    if (atom == nullptr || atom->type != type || atom->size != sizeof(T)) return false;
    std::memcpy(&out, bodyOf(atom), sizeof(T));
    return true;
}

// A string or path atom's text into text (size bytes, NUL-terminated);
// false when it is not of the type, has no terminating zero or does not fit.
inline bool textOf(const LV2_Atom* atom, uint32_t type, char* text, size_t size) {
    if (atom == nullptr || atom->type != type || atom->size == 0) return false;
    const auto* chars = static_cast<const char*>(bodyOf(atom));
    const size_t length = strnlen(chars, atom->size);
    if (length == atom->size || length >= size) return false;
    std::memcpy(text, chars, length);
    text[length] = '\0';
    return true;
}

}  // namespace atoms
