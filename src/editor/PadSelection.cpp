#include "editor/PadSelection.h"

void selectPad(DrumSynth& synth, int selected) {
    if (synth.kit == nullptr || selected < 0 || selected >= kPadCount) return;
    DrumKit& kit = *synth.kit;
    ControlStore& controls = kit.controls;

    for (int p = 0; p < kPadCount; ++p) {
        uint32_t colour = kEmptyNameColour;
        if (p == selected)
            colour = kSelectedNameColour;
        else if (kit.pads[p].samples != nullptr)
            colour = kLoadedNameColour;
        controls.pads[p][kNameLabel].faceColor.store(colour, std::memory_order_relaxed);
    }

    Pad& pad = kit.pads[selected];
    const int base = kParamsPerPad * selected;
    GuiControl* detail = controls.detail;
    detail[DetailNameBox].param = base + 0;
    detail[DetailNameBox].text = pad.name;
    controls.detailCaptions[kFileCaption].param = base + 1;
    detail[DetailFileName].param = base + 1;
    detail[DetailFileName].text = pad.fileName;
    detail[DetailNoteSlider].param = base + 11;
    detail[DetailLowKnob].param = base + 5;
    detail[DetailHighKnob].param = base + 6;
    detail[DetailMidKnob].param = base + 7;
    detail[DetailMidGainKnob].param = base + 8;
    detail[DetailPitchXKnob].param = base + 14;
    detail[DetailSampleRateKnob].param = base + 9;
    detail[DetailBitKnob].param = base + 10;
    detail[DetailDelButton].param = base + 2;
}
