// The UI library's one export: the descriptor of the X11 UI, whose calls
// reach the UI object.
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstring>

#include "lv2/Uris.h"
#include "lv2/zelLv2Ui.h"

namespace {

zelLv2Ui* self(LV2UI_Handle handle) { return static_cast<zelLv2Ui*>(handle); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (pluginUri == nullptr || std::strcmp(pluginUri, uris::kPlugin) != 0 || widget == nullptr) return nullptr;
    return zelLv2Ui::create(write, controller, features, widget);
}

void cleanup(LV2UI_Handle handle) { delete self(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    self(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) { return self(handle)->idle(); }

const LV2UI_Idle_Interface kIdle = {idle};

// The UI reports no option back; it only takes a new scale.
uint32_t getOptions(LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }
uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    return self(handle)->setOptions(options);
}

const LV2_Options_Interface kOptions = {getOptions, setOptions};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptions;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {uris::kUi, instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
