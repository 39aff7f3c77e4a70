// The plug-in's ports, by index. Indexes never change once released: the
// description generated from this file and every saved session rely on them.
#pragma once

#include <cstdint>

#include "engine/KitLimits.h"
#include "engine/PadPorts.h"

namespace ports {

constexpr uint32_t kControl = 0;  // atom input: MIDI, and the editor's messages
constexpr uint32_t kNotify = 1;   // atom output: what the editor shows
constexpr uint32_t kFirstAudio = 2;
constexpr uint32_t kFirstSetting = kFirstAudio + kOutputCount;  // 18
constexpr uint32_t kCount = kFirstSetting + kSettingPortCount;  // 226

// The notify port's least capacity: every pad's state and more.
constexpr uint32_t kNotifyCapacity = 65536;

inline bool isSetting(uint32_t port) { return port >= kFirstSetting && port < kCount; }
inline int settingPortOf(uint32_t port) { return static_cast<int>(port - kFirstSetting); }

}  // namespace ports
