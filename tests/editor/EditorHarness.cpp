#include "EditorHarness.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "host/zelVst.h"

namespace fs = std::filesystem;

namespace {

std::vector<HostCall> hostCalls;
bool echoing = false;

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion) return kVstVersion;
    hostCalls.push_back({opcode, index, opt});
    if (echoing && opcode == audioMasterAutomate) effect->setParameter(effect, index, opt);
    return 0;
}

}  // namespace

void RecordingCanvas::rectangle(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                                int width) {
    calls.push_back({Rectangle, left, top, right, bottom, {}, pen, brush, width, {}});
}

void RecordingCanvas::fill(int left, int top, int right, int bottom, uint32_t colour) {
    calls.push_back({Fill, left, top, right, bottom, {}, colour, colour, 0, {}});
}

void RecordingCanvas::ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                              int width) {
    calls.push_back({Ellipse, left, top, right, bottom, {}, pen, brush, width, {}});
}

void RecordingCanvas::polyline(const Point* points, int count, uint32_t pen, int width) {
    Call call{Polyline, 0, 0, 0, 0, std::vector<Point>(points, points + count), pen, 0, width, {}};
    call.left = call.right = points[0].x;
    call.top = call.bottom = points[0].y;
    for (const Point& p : call.points) {
        call.left = std::min(call.left, p.x);
        call.right = std::max(call.right, p.x);
        call.top = std::min(call.top, p.y);
        call.bottom = std::max(call.bottom, p.y);
    }
    calls.push_back(call);
}

void RecordingCanvas::arc(int left, int top, int right, int bottom, Point start, Point end,
                          uint32_t pen, int width) {
    calls.push_back({Arc, left, top, right, bottom, {start, end}, pen, 0, width, {}});
}

void RecordingCanvas::text(int left, int top, int width, int height, const char* text,
                           uint32_t colour, int fontHeight, uint32_t) {
    if (text == nullptr || text[0] == '\0') return;
    calls.push_back({Text, left, top, left + width, top + height, {}, colour, 0, fontHeight, text});
}

std::vector<RecordingCanvas::Call> RecordingCanvas::within(int left, int top, int right,
                                                           int bottom) const {
    std::vector<Call> inside;
    for (const Call& call : calls)
        if (call.left >= left && call.top >= top && call.right <= right && call.bottom <= bottom)
            inside.push_back(call);
    return inside;
}

void StandInWindow::showNameBox(int x, int y, int width, int height, const char* text) {
    nameBoxShown = true;
    nameBoxX = x;
    nameBoxY = y;
    nameBoxWidth = width;
    nameBoxHeight = height;
    nameBoxContent = text != nullptr ? text : "";
}

void StandInWindow::nameBoxText(char* text, int size) {
    const size_t length = std::min(nameBoxContent.size(), static_cast<size_t>(size - 1));
    std::memcpy(text, nameBoxContent.data(), length);
    text[length] = '\0';
}

EditorUnderTest::EditorUnderTest() : effect(createPlugin(hostCallback)) {
    hostCalls.clear();
    echoing = false;
    if (effect == nullptr) return;
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
}

EditorUnderTest::~EditorUnderTest() {
    if (effect == nullptr) return;
    if (editor().isOpen()) editor().close();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

zelVst& EditorUnderTest::plugin() { return *static_cast<zelVst*>(effect->object); }
Editor& EditorUnderTest::editor() { return plugin().padEditor(); }
EditorModel& EditorUnderTest::model() { return editor().model(); }

float EditorUnderTest::parameter(int index) {
    effect->getParameter(effect, 0);  // a different index first: the memo answers nothing
    return effect->getParameter(effect, index);
}

std::string EditorUnderTest::display(int index) {
    char text[64] = {};
    effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
    return text;
}

void EditorUnderTest::setParameter(int index, float value) { effect->setParameter(effect, index, value); }

std::vector<uint8_t> EditorUnderTest::chunk() {
    void* data = nullptr;
    const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0.0f);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

int EditorUnderTest::noteOn(int key) {
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } list{};
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = static_cast<char>(key);
    note.midiData[2] = 100;
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&note);
    return static_cast<int>(effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f));
}

float EditorUnderTest::render(int frames) {
    std::vector<std::vector<float>> buffers(16, std::vector<float>(static_cast<size_t>(frames)));
    std::vector<float*> outputs;
    for (auto& buffer : buffers) outputs.push_back(buffer.data());
    std::vector<float> silence(static_cast<size_t>(frames), 0.0f);
    float* inputs[2] = {silence.data(), silence.data()};
    effect->processReplacing(effect, inputs, outputs.data(), frames);
    float peak = 0.0f;
    for (const auto& buffer : buffers)
        for (float value : buffer) peak = std::max(peak, std::fabs(value));
    return peak;
}

void EditorUnderTest::openAndSettle() {
    editor().open(window);
    paint();
    paint();
}

std::vector<RecordingCanvas::Call> EditorUnderTest::paint() {
    RecordingCanvas canvas;
    editor().paint(canvas);
    return canvas.calls;
}

void EditorUnderTest::click(int x, int y) {
    editor().press(x, y, MouseButton::Left);
    editor().release(MouseButton::Left);
}

void EditorUnderTest::drag(int x, int y, const std::vector<Point>& through, bool shift) {
    editor().press(x, y, MouseButton::Left);
    for (const Point& p : through) editor().move(p.x, p.y, shift);
    editor().release(MouseButton::Left);
}

std::vector<HostCall> EditorUnderTest::takeHostCalls() {
    std::vector<HostCall> calls;
    calls.swap(hostCalls);
    return calls;
}

void EditorUnderTest::echoAutomation(bool echo) { echoing = echo; }

Point centreOf(const GuiControl& control) {
    return {control.x + control.width / 2, control.y + control.height / 2};
}

std::vector<uint8_t> monoWav(const std::vector<int16_t>& values, uint32_t rate) {
    const uint32_t dataSize = static_cast<uint32_t>(values.size() * 2);
    std::vector<uint8_t> file;
    auto put = [&file](uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b) file.push_back(static_cast<uint8_t>(value >> (8 * b)));
    };
    auto tag = [&file](const char* text) { file.insert(file.end(), text, text + 4); };
    tag("RIFF");
    put(36 + dataSize, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataSize, 4);
    for (int16_t value : values) put(static_cast<uint16_t>(value), 2);
    return file;
}

ScratchFolder::ScratchFolder() {
    root = (fs::temp_directory_path() / ("zel-editor-" + std::to_string(std::random_device{}()))).string();
    fs::create_directories(root);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string ScratchFolder::path(const std::string& name) const { return (fs::path(root) / name).string(); }

std::string ScratchFolder::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string file = path(name);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
