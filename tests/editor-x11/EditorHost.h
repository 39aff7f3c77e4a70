// A small Linux host for the editor tests: it loads the built .so through
// VSTPluginMain, gives effEditOpen a top-level window of its own (on its own
// display connection), calls effEditIdle every 20 ms while it waits, reads
// the editor's pixels back with XGetImage and moves the pointer and keys
// through XTest, as a user at that display would.
#pragma once

// GoogleTest before Xlib, whose macros (None, Bool, Status) break its headers.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "PatchBytes.h"
#include "TempDir.h"
#include "VstHost.h"

namespace x11test {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kEditorWidth = 1024;
constexpr int kEditorHeight = 599;
// Hosts idle their editors about 50 times a second.
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
// Long enough for a slow sanitized build; the conditions normally hold
// within a few idles.
constexpr auto kPatience = std::chrono::seconds(5);

constexpr VstInt32 kAutomate = 0, kSizeWindow = 15, kBeginEdit = 43, kEndEdit = 44;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
    bool operator!=(const Rgb& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& out, const Rgb& colour);

// The calls the plug-in made to the host callback, except audioMasterVersion.
struct HostCall {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
};
std::vector<HostCall>& hostCalls();

// An instance set up as a host does before it plays, talking to a host
// callback that records its calls.
std::unique_ptr<vsthost::Effect> newInstance();

std::vector<uint8_t> getChunk(vsthost::Effect& effect);
bool setChunk(vsthost::Effect& effect, std::vector<uint8_t> bytes);
patchbytes::PadSettings padOf(vsthost::Effect& effect, int pad);

// Noise under a falling envelope, as 16-bit values.
std::vector<int32_t> noise(size_t count, uint32_t seed);
// The default kit with a short sample (frames long) on pad 0.
std::vector<uint8_t> kitWithSampleOnPad0(size_t frames);

// One host block: the events, then processReplacing; the loudest sample of
// all outputs.
float playBlock(vsthost::Effect& effect, const std::vector<vsthost::MidiEvent>& events,
                int frames = kBlock);
// A note-on of the key and frames of audio after it; the loudest sample.
float hit(vsthost::Effect& effect, int key, int frames = 4 * kBlock);

// A 16-bit mono PCM WAV file at 44100 Hz.
void writeWav(const std::string& path, const std::vector<int32_t>& values);
std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool exists(const std::string& path);
// The sockets a process (this one by default) has open, such as its X
// connections, by their inode.
std::set<std::string> openSockets(const std::string& process = "self");


// The host's side of the screen: a display connection and a top-level window
// that the editor opens in.
class HostWindow {
public:
    // Low enough on the screen by default that a drag 200 pixels up from a
    // knob stays on it. With deep, the window has a 32-bit visual with alpha
    // rather than the screen's default, as compositing toolkits make them.
    explicit HostWindow(int x = 100, int y = 300, bool deep = false, int width = kEditorWidth,
                        int height = kEditorHeight);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    Display* display() const { return dpy; }
    Window window() const { return win; }
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(win)); }
    std::vector<Window> children() const;
    // As a host answers audioMasterSizeWindow.
    void resize(int width, int height);
    // The window vanishes under the editor, as when a host tears its
    // window down before effEditClose.
    void destroy();

private:
    Display* dpy = nullptr;
    Window win = 0;
    Colormap colormap = 0;
};

// How a host opens, idles and closes a plug-in's editor in its window: the
// VST library's through its edit opcodes, an LV2 UI through its own calls.
class EditorDriver {
public:
    virtual ~EditorDriver() = default;
    virtual bool open(void* parent) = 0;
    virtual void idle() = 0;
    virtual void close() = 0;
};

// The editor open in a host window, with the host's idle loop and a user's
// pointer and keyboard.
class EditorSession {
public:
    EditorSession(vsthost::Effect& effect, HostWindow& host);
    EditorSession(EditorDriver& driver, HostWindow& host);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    bool opened() const { return editor != 0; }
    Window editorWindow() const { return editor; }
    Display* display() const { return host.display(); }
    void close();

    // effEditIdle, then a host's pause; times over.
    void idle(int times = 1);
    // Idles until the condition holds or the patience runs out; whether it held.
    bool idleUntil(const std::function<bool()>& condition);
    // Also runs service (the host's own event handling) at every turn.
    void setService(std::function<void()> service) { serviceHook = std::move(service); }

    // What the window shows at (x, y), in editor pixels.
    Rgb pixel(int x, int y) const;
    // Idles until (x, y) shows the colour; whether it did.
    bool idleUntilPixel(int x, int y, Rgb colour);

    // Pointer and keyboard through XTest, at editor pixels.
    void moveTo(int x, int y);
    void button(unsigned number, bool down);
    void click(int x, int y, unsigned number = 1);
    // Press at (x, y), move by (dx, dy) in steps, release.
    void drag(int x, int y, int dx, int dy, int steps, bool shift = false, unsigned number = 1);
    void key(unsigned long keysym, bool down);
    void tap(unsigned long keysym);
    // Letters (capitals with Shift) and digits.
    void type(const std::string& text);
    void sync() const;
    // The editor's top-left corner on the screen.
    void rootOrigin(int& x, int& y) const;

private:
    std::unique_ptr<EditorDriver> ownDriver;
    EditorDriver& driver;
    HostWindow& host;
    Window editor = 0;
    std::function<void()> serviceHook;
};

// Milliseconds that fn took.
double timeMs(const std::function<void()>& fn);

}  // namespace x11test
