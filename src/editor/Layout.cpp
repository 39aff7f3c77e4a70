#include "editor/Layout.h"

#include "editor/PadSelection.h"

namespace {

constexpr int kFontSize = 16;
constexpr int kKnobSpan = 200;  // pixels of travel for the whole range

constexpr uint32_t kCaptionFace = rgb(187, 187, 187), kCaptionInk = rgb(51, 51, 85);
constexpr uint32_t kGrey = rgb(136, 136, 136), kDarkBlue = rgb(8, 8, 68);
constexpr uint32_t kRed = rgb(255, 85, 85), kDarkRed = rgb(85, 8, 8);
constexpr uint32_t kTeal = rgb(85, 170, 170), kDarkGreen = rgb(8, 68, 8);
constexpr uint32_t kBlue = rgb(85, 85, 255);

struct Look {
    ControlKind kind;
    uint32_t face, ink;
};

constexpr Look kCaption = {Label, kCaptionFace, kCaptionInk};
constexpr Look kGreyLabel = {Label, kGrey, kDarkBlue};
constexpr Look kRedKnob = {Knob, kRed, kDarkRed};
constexpr Look kTealKnob = {Knob, kTeal, kDarkGreen};
constexpr Look kBlueKnob = {Knob, kBlue, kDarkBlue};

class Builder {
public:
    explicit Builder(EditorModel& model) : model(model) {}

    // Fills the record and appends it to the list.
    GuiControl& add(GuiControl& control, const Look& look, const char* text, int x, int y, int width,
                    int height, int32_t param, uint32_t flags = 0) {
        control.kind = look.kind;
        control.fontSize = look.kind == Bar ? 0 : kFontSize;
        control.text = const_cast<char*>(text);
        control.flags = flags;
        control.x = x;
        control.y = y;
        control.width = width;
        control.height = height;
        control.faceColor = look.face;
        control.inkColor = look.ink;
        control.param = param;
        control.span = look.kind == Knob ? kKnobSpan : 0;
        control.textLimit = 0;
        control.value = 0.0f;
        append(control);
        return control;
    }

private:
    void append(GuiControl& control) {
        GuiControl** link = &model.head;
        while (*link != nullptr) link = &(*link)->next;
        *link = &control;
        control.next = nullptr;
        if (boundToParameter(control)) {
            char text[kDisplayTextSize];
            const PadSettings& pad = model.pads[control.param / kParamsPerPad].settings;
            model.paramValues[control.param] = describePadSetting(pad, control.param % kParamsPerPad, text);
        }
        control.dirty = 1;
    }

    EditorModel& model;
};

void addLeftColumn(Builder& build, ControlStore& controls) {
    GuiControl* c = controls.leftColumn;
    build.add(c[0], {Button, kRed, kDarkRed}, "Save", 4, 2, 56, 28, kSaveCommand, kReportsCommands);
    build.add(c[1], {Button, kBlue, kDarkBlue}, "Load", 4, 32, 56, 28, kLoadCommand,
              kReportsCommands);
    build.add(c[2], kCaption, "Group", 4, 76, 56, 28, 0);
    build.add(c[3], kCaption, "Pan.", 4, 134, 56, 28, 0);
    build.add(c[4], kCaption, "Pitch", 4, 192, 56, 28, 0);
    build.add(c[5], kCaption, "Vol.", 4, 236, 56, 168, 0);
    build.add(c[6], kCaption, "[%]", 4, 406, 56, 28, 0);
    build.add(c[7], kCaption, "Ch.", 4, 450, 56, 28, 0);
}

void addPadColumn(Builder& build, GuiControl* c, PadSettings& pad, int p) {
    const int x = padColumnX(p);
    const int32_t base = kParamsPerPad * p;
    const uint32_t nameFace = p == 0 ? kSelectedNameColour : kEmptyNameColour;
    build.add(c[kNameLabel], {Label, nameFace, kDarkBlue}, pad.name, x, 2, 56, 28, base + ParamName,
              kReportsCommands);
    build.add(c[kNoteLabel], kGreyLabel, nullptr, x, 32, 56, 28, base + ParamNote, kReportsCommands);
    build.add(c[kGroupKnob], kRedKnob, nullptr, x, 62, 56, 56, base + ParamGroup);
    build.add(c[kPanKnob], kTealKnob, nullptr, x, 120, 56, 56, base + ParamPan);
    build.add(c[kPitchKnob], kBlueKnob, nullptr, x, 178, 56, 56, base + ParamPitch);
    build.add(c[kVolumeSlider], {VSlider, rgb(102, 102, 102), rgb(170, 170, 170)}, nullptr, x, 236,
              56, 168, base + ParamVolume);
    build.add(c[kVolumeLabel], kGreyLabel, nullptr, x, 406, 56, 28, base + ParamVolume);
    build.add(c[kChannelKnob], kRedKnob, nullptr, x, 436, 56, 56, base + ParamChannel);
}

// Row captions of the detail pane, each under or beside what it names.
void addDetailCaptions(Builder& build, GuiControl* c) {
    // Bound to no parameter: the first code past them, which a caption never
    // reports (only flagged controls report to the commands).
    constexpr int32_t kNoParameter = kParamCount;
    build.add(c[0], kCaption, "Name", 4, 508, 56, 28, kNoParameter);
    build.add(c[kFileCaption], kCaption, "File", 4, 538, 56, 28, ParamWav, kReportsCommands);
    build.add(c[2], kCaption, "Note", 4, 568, 56, 28, ParamWav);
    const char* const knobs[7] = {"Low", "High", "Mid", "Mid-gain", "Pitch-X", "Freq.", "Bit"};
    for (int k = 0; k < 7; ++k)
        build.add(c[3 + k], kCaption, knobs[k], 424 + 60 * k, 568, 56, 28, kNoParameter);
}

void addDetailControls(Builder& build, GuiControl* c, PadSettings& pad) {
    GuiControl& nameBox = build.add(c[DetailNameBox], {NameBox, kGrey, kDarkBlue}, pad.name, 64, 508,
                                    56, 28, ParamName);
    nameBox.textLimit = sizeof pad.name;
    build.add(c[DetailFileName], kGreyLabel, pad.fileName, 64, 538, 280, 28, ParamWav, kReportsCommands);
    build.add(c[DetailNoteSlider], {HSlider, kGrey, rgb(170, 170, 170)}, nullptr, 64, 568, 336, 28,
              ParamNote);
    struct KnobRow {
        DetailControl which;
        const Look* look;
        PadParam param;
    };
    const KnobRow knobs[7] = {
        {DetailLowKnob, &kTealKnob, ParamLow},          {DetailHighKnob, &kTealKnob, ParamHigh},
        {DetailMidKnob, &kTealKnob, ParamMid},          {DetailMidGainKnob, &kTealKnob, ParamMidGain},
        {DetailPitchXKnob, &kRedKnob, ParamPitchX},     {DetailSampleRateKnob, &kBlueKnob, ParamSampleRate},
        {DetailBitKnob, &kBlueKnob, ParamBit},
    };
    for (int k = 0; k < 7; ++k)
        build.add(c[knobs[k].which], *knobs[k].look, nullptr, 424 + 60 * k, 510, 56, 56, knobs[k].param);
    // "Del" is the pad's command 2, which shares its index with the volume.
    build.add(c[DetailDelButton], {Button, kGrey, kDarkBlue}, "Del", 344, 538, 56, 28, ParamVolume,
              kReportsCommands);
}

void addBars(Builder& build, GuiControl* c) {
    constexpr Look kBar = {Bar, kBorderColour, kBorderColour};
    build.add(c[0], kBar, nullptr, padColumnX(4) - 3, 2, 2, 492, 0);
    build.add(c[1], kBar, nullptr, padColumnX(8) - 3, 2, 2, 492, 0);
    build.add(c[2], kBar, nullptr, padColumnX(12) - 3, 2, 2, 492, 0);
    build.add(c[3], kBar, nullptr, 4, 492, 1016, 2, 0);
}

}  // namespace

void buildLayout(EditorModel& model) {
    ControlStore& controls = model.controls;
    model.head = nullptr;
    model.borderColor = kBorderColour;
    model.backColor = kBackColour;

    Builder build(model);
    addLeftColumn(build, controls);
    for (int p = 0; p < kPadCount; ++p) addPadColumn(build, controls.pads[p], model.pads[p].settings, p);
    addDetailCaptions(build, controls.detailCaptions);
    addDetailControls(build, controls.detail, model.pads[0].settings);
    addBars(build, controls.bars);
    model.built = true;
    // A kit loaded before the editor first opened shows its selection and
    // its loaded pads at once.
    selectPad(model, model.selectedPad);
}
