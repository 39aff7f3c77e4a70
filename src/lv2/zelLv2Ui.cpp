#include "lv2/zelLv2Ui.h"

#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <new>

#include "engine/Numbers.h"
#include "lv2/AtomReading.h"

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
    if (features == nullptr) return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
        if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

// Room for the largest request as an atom.
constexpr size_t kMessageRoom = 1024;

}  // namespace

zelLv2Ui* zelLv2Ui::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2_Feature* const* features, LV2UI_Widget* widget) {
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
    if (map == nullptr || parent == nullptr || write == nullptr) return nullptr;
    zelLv2Ui* ui = new (std::nothrow) zelLv2Ui(write, controller, map);
    if (ui == nullptr) return nullptr;
    ui->resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
    ui->touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));
    ui->scaleFactorKey = map->map(map->handle, LV2_UI__scaleFactor);
    // A scale it cannot use leaves the editor to the desktop's.
    ui->takeScale(static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options)));
    ui->window = openNativeWindow(ui->editor, parent);
    if (ui->window == nullptr) {
        delete ui;
        return nullptr;
    }
    // The size at the scale in use, which opening may have chosen.
    ui->reportSize();
    *widget = ui->window->nativeHandle();
    // The kit as the plug-in holds it; the ports' values come from the host.
    ui->send(RequestKind::SendKit, 0, "");
    return ui;
}

zelLv2Ui::zelLv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_URID_Map* map)
    : write(write), controller(controller) {
    uris.map(map);
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(map));
    for (float& value : portValues) value = std::nanf("");
}

// The window goes first: it closes the editor, which may end a gesture.
zelLv2Ui::~zelLv2Ui() { window.reset(); }

int zelLv2Ui::idle() {
    if (window == nullptr) return 1;
    window->idle();
    return 0;
}

uint32_t zelLv2Ui::takeScale(const LV2_Options_Option* options) {
    for (const LV2_Options_Option* o = options; o != nullptr && o->key != 0; ++o) {
        if (o->key != scaleFactorKey) continue;
        if (o->type != uris.atomFloat || o->size != sizeof(float) || o->value == nullptr) return LV2_OPTIONS_ERR_BAD_VALUE;
        return editor.setScale(*static_cast<const float*>(o->value)) ? LV2_OPTIONS_SUCCESS : LV2_OPTIONS_ERR_BAD_VALUE;
    }
    return LV2_OPTIONS_ERR_BAD_KEY;
}

void zelLv2Ui::reportSize() {
    const PixelSize size = editor.size();
    if (resize != nullptr) resize->ui_resize(resize->handle, size.width, size.height);
}

uint32_t zelLv2Ui::setOptions(const LV2_Options_Option* options) {
    const PixelSize before = editor.size();
    const uint32_t status = takeScale(options);
    if (editor.size() != before) reportSize();
    return status;
}

void zelLv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (buffer == nullptr) return;
    if (format == 0) {
        if (ports::isSetting(port) && size == sizeof(float))
            settingChanged(ports::settingPortOf(port), *static_cast<const float*>(buffer));
        return;
    }
    if (format != uris.atomEventTransfer || port != ports::kNotify) return;
    const LV2_Atom* atom = atoms::atomWithin(buffer, size);
    KitNotice notice;
    if (atom != nullptr && readNotice(uris, atom, notice)) take(notice);
}

// A port's new value, from the host (automation, its own controls, an
// echo of ours): the pad's setting follows it.
void zelLv2Ui::settingChanged(int port, float value) {
    if (value == portValues[port] || value != value) return;
    portValues[port] = value;
    const int setting = port % kPortSettingsPerPad;
    const int32_t index = parameterOfPort(port);
    const float normalised = parameterValueOfPort(setting, value);
    setPadSetting(views[port / kPortSettingsPerPad].settings, paramOfSetting(setting), normalised);
    EditorModel& model = editor.model();
    model.paramValues[index] = normalised;
    markBound(model, index);
    requestRepaint(model);
}

void zelLv2Ui::take(const KitNotice& notice) {
    switch (notice.kind) {
        case NoticeKind::PadState: takePadState(notice); break;
        case NoticeKind::NewKit: editor.showNewKit(); break;
        case NoticeKind::Activity:
            std::memcpy(activity, notice.activity, sizeof activity);
            requestRepaint(editor.model());
            break;
        case NoticeKind::Refusal: editor.refused(notice.command, notice.path, notice.reason); break;
    }
}

// The pad as the plug-in plays it. A new kit's settings are the truth, and
// the ports are written to follow them, so that the host's view and its
// saved session agree with the kit. Otherwise a setting the ports have
// moved on from (a drag the plug-in has not heard yet) keeps the ports'.
void zelLv2Ui::takePadState(const KitNotice& notice) {
    PadView& view = views[notice.pad];
    view = notice.view;
    EditorModel& model = editor.model();
    for (int s = 0; s < kPortSettingsPerPad; ++s) {
        const int port = notice.pad * kPortSettingsPerPad + s;
        const float told = portValueOf(notice.view.settings, s);
        if (notice.kitReplaced) {
            writePort(port, told);
        } else if (portValues[port] == portValues[port] && told != portValues[port]) {
            setPadSetting(view.settings, paramOfSetting(s), parameterValueOfPort(s, portValues[port]));
        }
        char text[kDisplayTextSize];
        model.paramValues[parameterOfPort(port)] = describePadSetting(view.settings, paramOfSetting(s), text);
    }
    editor.kitChanged();
}

void zelLv2Ui::writePort(int port, float value) {
    if (value == portValues[port]) return;
    portValues[port] = value;
    write(controller, ports::kFirstSetting + static_cast<uint32_t>(port), sizeof(float), 0, &value);
}

// The editor's change: the pad's setting as the parameter path would set
// it, and its port's value written when that changed.
void zelLv2Ui::changeParameter(int32_t index, float value) {
    if (index < 0 || index >= kParamCount) return;
    const int param = index % kParamsPerPad;
    PadSettings& settings = views[index / kParamsPerPad].settings;
    if (!setPadSetting(settings, param, value)) return;
    editor.model().paramValues[index] = clampUnit(value);
    const int port = portOfParameter(index);
    writePort(port, portValueOf(settings, port % kPortSettingsPerPad));
}

void zelLv2Ui::touchPort(int32_t index, bool grabbed) {
    if (touch == nullptr || index < 0 || index >= kParamCount || index % kParamsPerPad < ParamVolume) return;
    touch->touch(touch->handle, ports::kFirstSetting + static_cast<uint32_t>(portOfParameter(index)), grabbed);
}

void zelLv2Ui::send(RequestKind kind, int pad, const char* text, bool on) {
    KitRequest request;
    request.kind = kind;
    request.pad = pad;
    request.on = on;
    if (std::strlen(text) >= sizeof request.text) {
        const FileCommand command = kind == RequestKind::LoadPatch   ? FileCommand::LoadPatch
                                    : kind == RequestKind::SavePatch ? FileCommand::SavePatch
                                                                     : FileCommand::LoadSample;
        editor.refused(command, text, "its path is too long");
        return;
    }
    std::strcpy(request.text, text);
    alignas(8) uint8_t room[kMessageRoom];
    lv2_atom_forge_set_buffer(&forge, room, sizeof room);
    if (!writeRequest(forge, uris, request)) return;
    const auto* atom = reinterpret_cast<const LV2_Atom*>(room);
    write(controller, ports::kControl, static_cast<uint32_t>(sizeof(LV2_Atom) + atom->size), uris.atomEventTransfer,
          atom);
}

void zelLv2Ui::loadPadSample(int pad, const char* path) { send(RequestKind::LoadSample, pad, path); }
void zelLv2Ui::removePadSample(int pad) { send(RequestKind::RemoveSample, pad, ""); }
void zelLv2Ui::renamePad(int pad, const char* name) { send(RequestKind::RenamePad, pad, name); }
void zelLv2Ui::savePatch(const char* path) { send(RequestKind::SavePatch, 0, path); }
void zelLv2Ui::loadPatch(const char* path) { send(RequestKind::LoadPatch, 0, path); }

// The plug-in plays the audition at its next block; nothing here can tell
// whether an earlier one is still pending there.
bool zelLv2Ui::previewKey(int8_t key, bool on) {
    if (key < 0) return false;
    send(RequestKind::Preview, key, "", on);
    return true;
}
