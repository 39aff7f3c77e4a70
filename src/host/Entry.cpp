// The library's exported entry: the host hands us its callback and gets the
// record of a new instance, exported as VSTPluginMain and again as main.
#include "host/zelVst.h"

#if defined(_WIN32)
#define ZEL_EXPORT extern "C" __declspec(dllexport)
#else
#define ZEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ZEL_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (audioMaster == nullptr) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    return createPlugin(audioMaster);
}

#if !defined(_WIN32)
// Older hosts look for "main"; the Windows export table aliases it in the .def file.
ZEL_EXPORT AEffect* vstMainAlias(audioMasterCallback audioMaster) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
