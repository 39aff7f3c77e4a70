#include "editor/PadSelection.h"

void selectPad(EditorModel& model, int selected) {
    if (selected < 0 || selected >= kPadCount) return;
    ControlStore& controls = model.controls;
    model.selectedPad = selected;

    for (int p = 0; p < kPadCount; ++p) {
        uint32_t colour = kEmptyNameColour;
        if (p == selected)
            colour = kSelectedNameColour;
        else if (model.pads[p].holdsSample)
            colour = kLoadedNameColour;
        controls.pads[p][kNameLabel].faceColor = colour;
    }

    PadSettings& pad = model.pads[selected].settings;
    const int base = kParamsPerPad * selected;
    GuiControl* detail = controls.detail;
    detail[DetailNameBox].param = base + ParamName;
    detail[DetailNameBox].text = pad.name;
    controls.detailCaptions[kFileCaption].param = base + ParamWav;
    detail[DetailFileName].param = base + ParamWav;
    detail[DetailFileName].text = pad.fileName;
    detail[DetailNoteSlider].param = base + ParamNote;
    detail[DetailLowKnob].param = base + ParamLow;
    detail[DetailHighKnob].param = base + ParamHigh;
    detail[DetailMidKnob].param = base + ParamMid;
    detail[DetailMidGainKnob].param = base + ParamMidGain;
    detail[DetailPitchXKnob].param = base + ParamPitchX;
    detail[DetailSampleRateKnob].param = base + ParamSampleRate;
    detail[DetailBitKnob].param = base + ParamBit;
    // "Del" is the pad's command 2, which shares its index with the volume.
    detail[DetailDelButton].param = base + ParamVolume;
}
