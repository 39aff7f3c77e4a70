// The editor's control records: what a control looks like, where it is, and
// which parameter or command it is bound to.
#pragma once

#include <atomic>
#include <cstdint>

enum ControlKind : int8_t {
    Button = 2,
    HSlider = 3,
    VSlider = 4,
    Knob = 7,
    Label = 8,
    NameBox = 9,
    Bar = 10,
};

// Colours are red in the low byte, then green, then blue.
constexpr uint32_t rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

// Flags: bit 0 reports presses, releases and drops on the control to the pad
// commands; bits 24 to 27 make its text bold, italic, underlined, struck out.
constexpr uint32_t kReportsCommands = 1u << 0;
constexpr uint32_t kBoldText = 1u << 24;
constexpr uint32_t kItalicText = 1u << 25;
constexpr uint32_t kUnderlinedText = 1u << 26;
constexpr uint32_t kStruckOutText = 1u << 27;

// Command codes of controls that are bound to no parameter.
constexpr int32_t kSaveCommand = 240;
constexpr int32_t kLoadCommand = 241;

struct GuiControl {
    int8_t kind;
    int8_t fontSize;
    std::atomic<uint8_t> dirty;  // repaint at the next partial paint; set from host threads too
    char* text;
    uint32_t flags;
    int32_t x, y, width, height;
    uint32_t faceColor;
    uint32_t inkColor;
    int32_t param;
    int32_t span;
    int32_t textLimit;
    float value;
    GuiControl* next;
};

// Where the 161 records are stored (their list order, which is their painting
// order, is built separately by the layout).
enum PadControl {
    kNameLabel,     // the pad's name; pressing it selects and auditions the pad
    kNoteLabel,     // its key, flashing with the notes
    kGroupKnob,
    kPanKnob,
    kPitchKnob,
    kVolumeSlider,
    kVolumeLabel,
    kChannelKnob,
    kControlsPerPad
};

enum DetailControl {
    DetailNameBox,
    DetailFileName,
    DetailNoteSlider,
    DetailLowKnob,
    DetailHighKnob,
    DetailMidKnob,
    DetailMidGainKnob,
    DetailPitchXKnob,
    DetailSampleRateKnob,
    DetailBitKnob,
    DetailDelButton,
    DetailControlCount
};
constexpr int kFileCaption = 1;  // the "File" caption among the detail captions

struct ControlStore {
    GuiControl pads[16][kControlsPerPad];
    GuiControl leftColumn[8];
    GuiControl detail[DetailControlCount];
    GuiControl detailCaptions[10];
    GuiControl bars[4];
};
static_assert(sizeof(ControlStore) == 161 * sizeof(GuiControl), "161 controls, no gaps");

constexpr uint32_t kSelectedNameColour = rgb(255, 136, 136);
constexpr uint32_t kLoadedNameColour = rgb(136, 136, 255);
constexpr uint32_t kEmptyNameColour = rgb(136, 136, 136);
