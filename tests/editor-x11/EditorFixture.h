// What every editor case starts from: a fresh instance, a host window, and
// (once open) the editor showing its first paint. Plus the places on the
// editor that the cases press, drop on and look at, in editor pixels.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "EditorHost.h"

namespace x11test {

// Colours the editor paints with.
constexpr Rgb kBackground{136, 136, 136};
constexpr Rgb kSelectedName{255, 136, 136};
constexpr Rgb kLoadedName{136, 136, 255};
constexpr Rgb kHeld{255, 170, 170};
constexpr Rgb kRinging{204, 153, 153};
constexpr Rgb kIdle{136, 136, 136};
constexpr Rgb kTrack{85, 85, 85};
constexpr Rgb kPanFace{85, 170, 170};
constexpr Rgb kPanInk{8, 68, 8};

struct Spot {
    int x, y;
};

// Nothing is drawn here but the background.
constexpr Spot kEmpty{30, 118};
constexpr Spot kEmptyRight{950, 540};

// A pad column's controls: name label, note label, pan knob (the centre of
// a 56-pixel knob).
constexpr int columnX(int pad) { return 64 + 60 * pad; }
constexpr Spot nameLabel(int pad) { return {columnX(pad) + 28, 16}; }
constexpr Spot noteLabel(int pad) { return {columnX(pad) + 28, 46}; }
constexpr Spot panKnob(int pad) { return {columnX(pad) + 28, 148}; }
// A label's face away from its centred text.
constexpr Spot nameLabelFace(int pad) { return {columnX(pad) + 4, 6}; }
constexpr Spot noteLabelFace(int pad) { return {columnX(pad) + 4, 36}; }

// The detail pane.
constexpr Spot kNameBox{92, 522};
constexpr Spot kNameBoxFace{68, 512};
constexpr Spot kFileLabel{204, 552};
constexpr int kNoteSliderLeft = 64, kNoteSliderRight = 64 + 336, kNoteSliderY = 582;
constexpr Spot kSaveButton{32, 16};
// The message box the editor tells refusals in, and its face.
constexpr Spot kBanner{130, 510};
constexpr Rgb kBannerFace{255, 255, 204};
constexpr Spot kLoadButton{32, 46};

// A place of the layout in the editor at another scale.
inline Spot scaled(Spot spot, double scale) { return {int(spot.x * scale), int(spot.y * scale)}; }

// Parameter indices: 15 a pad.
constexpr int param(int pad, int number) { return 15 * pad + number; }
constexpr int kPan = 3, kNote = 11;

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        hostCalls().clear();
        effect = newInstance();
        ASSERT_NE(effect, nullptr);
        ASSERT_NO_THROW(host = std::make_unique<HostWindow>());
    }

    void TearDown() override {
        session.reset();
        host.reset();
        effect.reset();
    }

    // Opens the editor and waits for its first paint.
    void openEditor(double scale = 1.0) {
        session = std::make_unique<EditorSession>(*effect, *host);
        ASSERT_TRUE(session->opened()) << "effEditOpen made no window in the host's";
        const Spot empty = scaled(kEmpty, scale);
        ASSERT_TRUE(session->idleUntilPixel(empty.x, empty.y, kBackground))
            << "never painted: " << session->pixel(empty.x, empty.y);
    }
    // Tells the plug-in the host's scale first, and opens the editor in a
    // host window of the size it then reports, high on the screen.
    void openEditorAt(float scale) {
        ASSERT_EQ(effect->dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, scale), 1);
        ERect* rect = nullptr;
        ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
        host = std::make_unique<HostWindow>(10, 10, false, rect->right, rect->bottom);
        openEditor(scale);
    }

    EditorSession& editor() { return *session; }
    Rgb at(Spot spot) const { return session->pixel(spot.x, spot.y); }
    bool becomes(Spot spot, Rgb colour) { return session->idleUntilPixel(spot.x, spot.y, colour); }

    std::unique_ptr<vsthost::Effect> effect;
    std::unique_ptr<HostWindow> host;
    std::unique_ptr<EditorSession> session;
};

}  // namespace x11test
