// Little-endian integers in byte buffers: every number in a patch, a sample
// slot and a WAV header.
#pragma once

#include <cstdint>

inline uint16_t readU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline uint32_t readU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

inline int32_t readI32(const uint8_t* at) { return static_cast<int32_t>(readU32(at)); }

inline void writeU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void writeU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The low width bytes of value (1 to 4), and back as a 32-bit pattern.
inline uint32_t readLittle(const uint8_t* at, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

inline void writeLittle(uint8_t* at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
