// What a repaint of the editor costs on Linux: the painter drawing through
// the Cairo canvas into an image the size of the window, as the X11 window
// draws its back buffer. A full paint draws the background and all 161
// controls; the partial paint here is the common one, a note label flashing.
// Full paints at 1, 2 and 3 times the size (the argument, in quarters).
#include <benchmark/benchmark.h>

#include <cairo.h>

#include "editor/Editor.h"
#include "editor/x11/CairoCanvas.h"
#include "host/zelVst.h"

namespace {

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class NoWindow : public EditorWindow {
public:
    void invalidate() override {}
    void resize() override {}
    void showNameBox(int, int, int, int, const char*) override {}
    void parkNameBox() override {}
    void nameBoxText(char* text, int) override { text[0] = '\0'; }
    void chooseFile(FileRequest) override {}
    void tell(const char*) override {}
};

class PaintedEditor {
public:
    explicit PaintedEditor(float scale = 1.0f) : effect(createPlugin(hostCallback)) {
        editor().setScale(scale);
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, editor().size().width, editor().size().height);
        cr = cairo_create(surface);
        editor().open(window);
    }
    ~PaintedEditor() {
        editor().close();
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    Editor& editor() { return static_cast<zelVst*>(effect->object)->padEditor(); }
    void paint() {
        CairoCanvas canvas(cr);
        editor().paint(canvas);
        cairo_surface_flush(surface);
    }

private:
    AEffect* effect;
    NoWindow window;
    cairo_surface_t* surface;
    cairo_t* cr;
};

void FullPaint(benchmark::State& state) {
    PaintedEditor painted(static_cast<float>(state.range(0)) / 4.0f);
    for (auto _ : state) {
        painted.editor().model().fullRedraw = 1;
        painted.paint();
    }
}
BENCHMARK(FullPaint)->Arg(4)->Arg(8)->Arg(12)->Unit(benchmark::kMicrosecond);

void NoteLabelFlash(benchmark::State& state) {
    PaintedEditor painted;
    painted.paint();
    painted.paint();  // the two full paints after opening
    GuiControl& label = painted.editor().model().controls.pads[3][kNoteLabel];
    for (auto _ : state) {
        label.dirty = 1;
        painted.paint();
    }
}
BENCHMARK(NoteLabelFlash)->Unit(benchmark::kMicrosecond);

}  // namespace
