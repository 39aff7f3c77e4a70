// The portable editor of a real plug-in instance, made in this process as
// VSTPluginMain makes it, shown in a stand-in window that records what the
// editor asks of it, painted on a canvas that records every call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/Canvas.h"
#include "editor/Editor.h"
#include "editor/EditorWindow.h"
#include "host/Vst2.h"

class zelVst;

// Every primitive the painter asked for, in order.
class RecordingCanvas : public Canvas {
public:
    enum Kind { Rectangle, Fill, Ellipse, Polyline, Arc, Text };
    struct Call {
        Kind kind;
        int left, top, right, bottom;  // Text: its box; Polyline: around its points
        std::vector<Point> points;     // Polyline: its points; Arc: start, end
        uint32_t pen, brush;           // Text: colour in pen; Fill: its colour in both
        int width;                     // pen width (Fill: 0); Text: font height
        std::string text;
    };
    std::vector<Call> calls;

    void rectangle(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                   int width) override;
    void fill(int left, int top, int right, int bottom, uint32_t colour) override;
    void ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                 int width) override;
    void polyline(const Point* points, int count, uint32_t pen, int width) override;
    void arc(int left, int top, int right, int bottom, Point start, Point end, uint32_t pen,
             int width) override;
    void text(int left, int top, int width, int height, const char* text, uint32_t colour,
              int fontHeight, uint32_t fontFlags) override;

    // The calls whose box lies inside the given one.
    std::vector<Call> within(int left, int top, int right, int bottom) const;
};

// The window as the editor sees it: what it was asked to do.
class StandInWindow : public EditorWindow {
public:
    int invalidations = 0;
    int resizes = 0;
    bool nameBoxShown = false;
    int nameBoxX = 0, nameBoxY = 0, nameBoxWidth = 0, nameBoxHeight = 0;
    std::string nameBoxContent;  // what the user typed into it
    std::vector<FileRequest> requests;
    std::vector<std::string> told;

    void invalidate() override { ++invalidations; }
    void resize() override { ++resizes; }
    void showNameBox(int x, int y, int width, int height, const char* text) override;
    void parkNameBox() override { nameBoxShown = false; }
    // As the system's edit box answers: at most size - 1 characters.
    void nameBoxText(char* text, int size) override;
    void chooseFile(FileRequest request) override { requests.push_back(request); }
    void tell(const char* message) override { told.push_back(message); }
};

// A call the plug-in made to its host.
struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

class EditorUnderTest {
public:
    EditorUnderTest();
    ~EditorUnderTest();
    EditorUnderTest(const EditorUnderTest&) = delete;
    EditorUnderTest& operator=(const EditorUnderTest&) = delete;

    AEffect* record() const { return effect; }
    zelVst& plugin();
    Editor& editor();
    EditorModel& model();
    StandInWindow window;

    // The host's view.
    float parameter(int index);
    std::string display(int index);
    void setParameter(int index, float value);
    std::vector<uint8_t> chunk();
    int noteOn(int key);
    // Renders frames; the largest magnitude on any output.
    float render(int frames);

    // The editor opened and its first full paints done; the calls of the next
    // paint.
    void openAndSettle();
    std::vector<RecordingCanvas::Call> paint();

    // A press and its release at (x, y), with the left button.
    void click(int x, int y);
    // A drag with the left button from (x, y), through each step in turn.
    void drag(int x, int y, const std::vector<Point>& through, bool shift = false);

    // What the plug-in told its host since the last call.
    std::vector<HostCall> takeHostCalls();
    // Whether the host callback calls setParameter back with each automated value.
    static void echoAutomation(bool echo);

private:
    AEffect* effect = nullptr;
};

// The centre of a control's box.
Point centreOf(const GuiControl& control);

// A canonical mono 16-bit WAV file of the values.
std::vector<uint8_t> monoWav(const std::vector<int16_t>& values, uint32_t rate = 44100);

// A private folder for real files, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string path(const std::string& name) const;
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string root;
};
std::vector<uint8_t> readFile(const std::string& path);
