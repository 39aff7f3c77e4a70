#include "EditorHost.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "PluginUnderTest.h"

namespace x11test {

namespace {

std::vector<HostCall> calls;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    if (opcode == audioMasterVersion) return kVstVersion;
    calls.push_back({opcode, index, value, opt});
    return 0;
}

// An X error on the host's connection fails the test instead of ending the
// program, as Xlib's default handler would.
int noteXError(Display*, XErrorEvent* error) {
    ADD_FAILURE() << "X error " << int(error->error_code) << " on request " << int(error->request_code);
    return 0;
}

void putLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "(" << colour.r << ", " << colour.g << ", " << colour.b << ")";
}

std::vector<HostCall>& hostCalls() { return calls; }

std::unique_ptr<vsthost::Effect> newInstance() {
    AEffect* record = library != nullptr ? library->create(recordingHost) : nullptr;
    if (record == nullptr) return nullptr;
    auto effect = std::make_unique<vsthost::Effect>(record);
    effect->dispatch(effOpen);
    effect->dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    effect->dispatch(effSetBlockSize, 0, kBlock);
    effect->dispatch(effMainsChanged, 0, 1);
    return effect;
}

std::vector<uint8_t> getChunk(vsthost::Effect& effect) {
    void* data = nullptr;
    const VstIntPtr size = effect.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

bool setChunk(vsthost::Effect& effect, std::vector<uint8_t> bytes) {
    return effect.dispatch(effSetChunk, 0, VstIntPtr(bytes.size()), bytes.data()) != 0;
}

patchbytes::PadSettings padOf(vsthost::Effect& effect, int pad) {
    return patchbytes::readPad(getChunk(effect), pad);
}

std::vector<int32_t> noise(size_t count, uint32_t seed) {
    std::vector<int32_t> values;
    uint32_t state = seed;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const int64_t sample = int64_t(int32_t(state)) >> 16;
        values.push_back(int32_t(sample * int64_t(count - i) / int64_t(count)));
    }
    return values;
}

std::vector<uint8_t> kitWithSampleOnPad0(size_t frames) {
    patchbytes::Kit kit;
    patchbytes::Slot slot;
    slot.values = noise(frames, 7);
    kit.slots = {slot};
    kit.pads[0].fileName = "short.wav";
    kit.pads[0].slotNumber = 1;
    return patchbytes::encode(kit);
}

float playBlock(vsthost::Effect& effect, const std::vector<vsthost::MidiEvent>& events, int frames) {
    const int outputs = effect.record()->numOutputs;
    std::vector<std::vector<float>> buffers(size_t(outputs), std::vector<float>(size_t(frames), 0.0f));
    std::vector<float*> pointers;
    for (auto& buffer : buffers) pointers.push_back(buffer.data());
    if (!events.empty()) effect.sendMidi(events);
    effect.process(pointers.data(), frames);
    float peak = 0.0f;
    for (const auto& buffer : buffers)
        for (float sample : buffer) peak = std::max(peak, std::fabs(sample));
    return peak;
}

float hit(vsthost::Effect& effect, int key, int frames) {
    float peak = playBlock(effect, {{0, 0x90, uint8_t(key), 120}});
    for (int done = kBlock; done < frames; done += kBlock) peak = std::max(peak, playBlock(effect, {}));
    playBlock(effect, {{0, 0x80, uint8_t(key), 0}});
    return peak;
}

void writeWav(const std::string& path, const std::vector<int32_t>& values) {
    const uint32_t dataBytes = uint32_t(values.size() * 2);
    std::vector<uint8_t> bytes;
    for (char c : std::string("RIFF")) bytes.push_back(uint8_t(c));
    putLittle(bytes, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt ")) bytes.push_back(uint8_t(c));
    putLittle(bytes, 16, 4);
    putLittle(bytes, 1, 2);  // PCM
    putLittle(bytes, 1, 2);  // mono
    putLittle(bytes, 44100, 4);
    putLittle(bytes, 44100 * 2, 4);
    putLittle(bytes, 2, 2);
    putLittle(bytes, 16, 2);
    for (char c : std::string("data")) bytes.push_back(uint8_t(c));
    putLittle(bytes, dataBytes, 4);
    for (int32_t value : values) putLittle(bytes, uint32_t(value), 2);
    writeFile(path, bytes);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string& path) { return std::filesystem::exists(path); }

std::set<std::string> openSockets(const std::string& process) {
    std::set<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + process + "/fd", error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.compare(0, 7, "socket:") == 0) found.insert(target);
    }
    return found;
}

// --- The host window -----------------------------------------------------------

HostWindow::HostWindow(int x, int y, bool deep, int width, int height) {
    dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) throw std::runtime_error("no X display (these tests run under Xvfb)");
    XSetErrorHandler(noteXError);
    const int screen = DefaultScreen(dpy);
    XVisualInfo deepVisual{};
    if (deep) {
        if (XMatchVisualInfo(dpy, screen, 32, TrueColor, &deepVisual) == 0)
            throw std::runtime_error("the X server has no 32-bit visual");
        colormap = XCreateColormap(dpy, RootWindow(dpy, screen), deepVisual.visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = colormap;
        attributes.background_pixel = 0xFFFFFFFF;
        attributes.border_pixel = 0;
        win = XCreateWindow(dpy, RootWindow(dpy, screen), x, y, unsigned(width), unsigned(height), 0, 32,
                            InputOutput, deepVisual.visual, CWColormap | CWBackPixel | CWBorderPixel,
                            &attributes);
    } else {
        win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, unsigned(width), unsigned(height), 0,
                                  BlackPixel(dpy, screen), WhitePixel(dpy, screen));
    }
    XStoreName(dpy, win, "zel001 editor test host");
    XSelectInput(dpy, win, StructureNotifyMask);
    XMapWindow(dpy, win);
    XEvent event;
    do XWindowEvent(dpy, win, StructureNotifyMask, &event);
    while (event.type != MapNotify);
}

HostWindow::~HostWindow() {
    if (win != 0) XDestroyWindow(dpy, win);
    if (colormap != 0) XFreeColormap(dpy, colormap);
    XCloseDisplay(dpy);
}

std::vector<Window> HostWindow::children() const {
    std::vector<Window> found;
    if (win == 0) return found;
    Window root, parent, *list = nullptr;
    unsigned count = 0;
    if (XQueryTree(dpy, win, &root, &parent, &list, &count) != 0 && list != nullptr)
        found.assign(list, list + count);
    if (list != nullptr) XFree(list);
    return found;
}

void HostWindow::resize(int width, int height) {
    XResizeWindow(dpy, win, unsigned(width), unsigned(height));
    XSync(dpy, False);
}

void HostWindow::destroy() {
    XDestroyWindow(dpy, win);
    XSync(dpy, False);
    win = 0;
}

// --- The editor in it ---------------------------------------------------------

namespace {

class VstEditorDriver : public EditorDriver {
public:
    explicit VstEditorDriver(vsthost::Effect& effect) : effect(effect) {}
    bool open(void* parent) override { return effect.dispatch(effEditOpen, 0, 0, parent) != 0; }
    void idle() override { effect.dispatch(effEditIdle); }
    void close() override { effect.dispatch(effEditClose); }

private:
    vsthost::Effect& effect;
};

}  // namespace

EditorSession::EditorSession(vsthost::Effect& effect, HostWindow& host)
    : EditorSession(*new VstEditorDriver(effect), host) {
    ownDriver.reset(&driver);
}

EditorSession::EditorSession(EditorDriver& driver, HostWindow& host) : driver(driver), host(host) {
    XSync(host.display(), False);
    if (!driver.open(host.handle())) return;
    // The plug-in talks to the server on a connection of its own: wait until
    // its window is there and shown.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::vector<Window> children = host.children();
        if (children.size() == 1) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(host.display(), children[0], &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                editor = children[0];
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// A case that failed halfway through a drag leaves nothing held for the next.
EditorSession::~EditorSession() {
    for (unsigned number : {1u, 3u}) XTestFakeButtonEvent(display(), number, False, CurrentTime);
    XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), XK_Shift_L), False, CurrentTime);
    XSync(display(), False);
    close();
}

void EditorSession::close() {
    if (editor == 0) return;
    driver.close();
    editor = 0;
}

void EditorSession::idle(int times) {
    for (int i = 0; i < times; ++i) {
        driver.idle();
        if (serviceHook) serviceHook();
        std::this_thread::sleep_for(kIdlePeriod);
    }
}

bool EditorSession::idleUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return condition();
        idle();
    }
    return true;
}

Rgb EditorSession::pixel(int x, int y) const {
    if (editor == 0) return {-1, -1, -1};
    XImage* image = XGetImage(display(), editor, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return {-1, -1, -1};
    const unsigned long value = XGetPixel(image, 0, 0);
    const Rgb colour{int((value & image->red_mask) >> shiftOf(image->red_mask)),
                     int((value & image->green_mask) >> shiftOf(image->green_mask)),
                     int((value & image->blue_mask) >> shiftOf(image->blue_mask))};
    XDestroyImage(image);
    return colour;
}

bool EditorSession::idleUntilPixel(int x, int y, Rgb colour) {
    return idleUntil([&] { return pixel(x, y) == colour; });
}

void EditorSession::rootOrigin(int& x, int& y) const {
    Window child;
    XTranslateCoordinates(display(), editor, DefaultRootWindow(display()), 0, 0, &x, &y, &child);
}

void EditorSession::sync() const { XSync(display(), False); }

void EditorSession::moveTo(int x, int y) {
    int left, top;
    rootOrigin(left, top);
    XTestFakeMotionEvent(display(), DefaultScreen(display()), left + x, top + y, CurrentTime);
    sync();
}

void EditorSession::button(unsigned number, bool down) {
    XTestFakeButtonEvent(display(), number, down ? True : False, CurrentTime);
    sync();
}

void EditorSession::click(int x, int y, unsigned number) {
    moveTo(x, y);
    button(number, true);
    button(number, false);
}

void EditorSession::drag(int x, int y, int dx, int dy, int steps, bool shift, unsigned number) {
    moveTo(x, y);
    if (shift) key(XK_Shift_L, true);
    button(number, true);
    for (int i = 1; i <= steps; ++i) moveTo(x + dx * i / steps, y + dy * i / steps);
    button(number, false);
    if (shift) key(XK_Shift_L, false);
}

void EditorSession::key(unsigned long keysym, bool down) {
    const KeyCode code = XKeysymToKeycode(display(), keysym);
    ASSERT_NE(code, 0) << "no key for keysym " << keysym;
    XTestFakeKeyEvent(display(), code, down ? True : False, CurrentTime);
    sync();
}

void EditorSession::tap(unsigned long keysym) {
    key(keysym, true);
    key(keysym, false);
}

// The keysyms of small letters and digits are their characters.
void EditorSession::type(const std::string& text) {
    for (char c : text) {
        const bool capital = c >= 'A' && c <= 'Z';
        ASSERT_TRUE(capital || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << "cannot type " << c;
        if (capital) key(XK_Shift_L, true);
        tap(static_cast<unsigned long>(capital ? c - 'A' + 'a' : c));
        if (capital) key(XK_Shift_L, false);
    }
}

double timeMs(const std::function<void()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace x11test
