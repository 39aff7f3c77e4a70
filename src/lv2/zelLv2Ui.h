// The plug-in's user interface: the portable editor in an X11 child window
// of the host's, reaching the plug-in through the LV2 protocol alone. Its
// door (EditorPort) writes the setting ports and sends the kit requests as
// atom messages; it keeps its own view of the kit from the ports' values
// and the plug-in's notices. No engine pointer: the host may run it in a
// process of its own.
#pragma once

#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "editor/Editor.h"
#include "editor/EditorPort.h"
#include "editor/NativeWindow.h"
#include "lv2/KitMessages.h"
#include "lv2/PortLayout.h"
#include "lv2/Uris.h"

class zelLv2Ui : private EditorPort {
public:
    // Null unless the host gives a parent window and maps URIDs, and the
    // window opens; *widget is the editor's window then.
    static zelLv2Ui* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                            const LV2_Feature* const* features, LV2UI_Widget* widget);
    ~zelLv2Ui() override;
    zelLv2Ui(const zelLv2Ui&) = delete;
    zelLv2Ui& operator=(const zelLv2Ui&) = delete;

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // The host's idle call: 0 while the window stays open.
    int idle();
    // Options the host changes later (opts:interface): a new ui:scaleFactor
    // redraws the editor at it and asks the host for the new size.
    uint32_t setOptions(const LV2_Options_Option* options);

private:
    zelLv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_URID_Map* map);

    // The editor's door.
    void changeParameter(int32_t index, float value) override;
    void beginEdit(int32_t index) override { touchPort(index, true); }
    void endEdit(int32_t index) override { touchPort(index, false); }
    void loadPadSample(int pad, const char* path) override;
    void removePadSample(int pad) override;
    void renamePad(int pad, const char* name) override;
    void savePatch(const char* path) override;
    void loadPatch(const char* path) override;
    bool previewKey(int8_t key, bool on) override;
    void readPad(int pad, PadView& view) override { view = views[pad]; }
    NoteActivity noteActivity(int pad) override { return activity[pad]; }

    void send(RequestKind kind, int pad, const char* text, bool on = false);
    void touchPort(int32_t index, bool grabbed);
    void writePort(int port, float value);
    // The options' ui:scaleFactor for the editor: an LV2 options status
    // (a bad key when there is none, a bad value for one it cannot use,
    // which leaves the editor as it is).
    uint32_t takeScale(const LV2_Options_Option* options);
    void reportSize();
    void settingChanged(int port, float value);
    void take(const KitNotice& notice);
    void takePadState(const KitNotice& notice);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    LV2_URID scaleFactorKey = 0;
    KitUris uris{};
    LV2_Atom_Forge forge{};
    Editor editor{*this};
    std::unique_ptr<NativeWindow> window;

    // The kit as this side knows it: each pad's state as the plug-in told
    // it, its settings as the ports hold them, the ports' values, and the
    // pads' note activity.
    PadView views[kPadCount] = {};
    float portValues[kSettingPortCount];
    NoteActivity activity[kPadCount] = {};
};
