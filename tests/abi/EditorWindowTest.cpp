// The DLL's editor in a real window, as a Windows host shows it: the plug-in
// driven through VSTPluginMain and its dispatcher, the editor opened in a
// top-level window of this program, pixels read back from the screen, the
// mouse, keys and drops sent as window messages, and the file dialogs and
// message boxes answered as a user would. Runs under wine and Xvfb; the
// binary's path is the program's one argument.
#include <windows.h>
#include <windowsx.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "EditorWindow.h"
#include "PatchBytes.h"
#include "PluginUnderTest.h"
#include "VstHost.h"

namespace {

using patchbytes::Kit;
using patchbytes::Slot;
using vsthost::Picture;

constexpr int kWidth = 1024;
constexpr int kHeight = 599;
constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kOutputs = 16;
constexpr int kParamsPerPad = 15;

// Parameter numbers within a pad.
constexpr int kVolume = 2, kPan = 3;

// --- Colours, as the layout gives them ---------------------------------------

struct Rgb {
    int r, g, b;
};
struct Point {
    int x, y;
};
constexpr Rgb kBackground{136, 136, 136};
constexpr Rgb kBorder{85, 85, 85};
constexpr Rgb kSelectedName{255, 136, 136};
constexpr Rgb kLoadedName{136, 136, 255};
constexpr Rgb kIdleLabel{136, 136, 136};
constexpr Rgb kHeldNote{255, 170, 170};
constexpr Rgb kRingingNote{204, 153, 153};
constexpr Rgb kTrack{85, 85, 85};
constexpr Rgb kPanFace{85, 170, 170};
constexpr Rgb kPanInk{8, 68, 8};
constexpr Rgb kGroupFace{255, 85, 85};
constexpr Rgb kPitchFace{85, 85, 255};
constexpr Rgb kLabelInk{8, 8, 68};

std::string text(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

Rgb colourAt(const Picture& picture, int x, int y) {
    const uint32_t value = picture.pixel(x, y);
    return {int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF)};
}

bool is(const Picture& picture, Point p, Rgb colour) {
    const Rgb c = colourAt(picture, p.x, p.y);
    return c.r == colour.r && c.g == colour.g && c.b == colour.b;
}

#define EXPECT_COLOUR(picture, x, y, expected)                                              \
    EXPECT_EQ(text(colourAt(picture, x, y)), text(expected)) << "pixel " << (x) << ", " << (y)

// How many pixels of a colour lie in the box (left and top included, right
// and bottom excluded).
int countColour(const Picture& picture, int left, int top, int right, int bottom, Rgb colour) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (is(picture, {x, y}, colour)) ++count;
    return count;
}

bool sameBox(const Picture& a, const Picture& b, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

// --- Where things are: a pad's column, and points of a knob's ring -----------

int columnX(int pad) { return 4 + 60 * (pad + 1); }

// Rows of a pad column: their tops, and the volume slider's height.
constexpr int kNameRow = 2, kNoteRow = 32, kGroupRow = 62, kPanRow = 120, kPitchRow = 178,
              kVolumeRow = 236, kVolumeHeight = 168, kChannelRow = 436;

// The middle of a 56 x 28 label or a 56 x 56 knob.
Point labelMiddle(int pad, int row) { return {columnX(pad) + 28, row + 14}; }
Point knobMiddle(int left, int top) { return {left + 28, top + 28}; }

// A point on the value ring of a knob at (left, top), angle in degrees
// counter-clockwise from the right: the ring lies outside the disc, 25 px
// from the knob's middle.
Point ringPoint(int left, int top, double degrees) {
    const double a = degrees * 3.14159265358979 / 180.0;
    const Point m = knobMiddle(left, top);
    return {int(std::lround(m.x + 25.0 * std::cos(a))), int(std::lround(m.y - 25.0 * std::sin(a)))};
}

// A point of the disc below the value text in the knob's middle.
Point discPoint(int left, int top) { return {left + 28, top + 42}; }

// The detail pane.
constexpr Point kNameBox{64 + 28, 508 + 14};
constexpr Point kFileLabel{64 + 140, 538 + 14};
constexpr Point kSaveButton{4 + 28, 2 + 14};
constexpr Point kLoadButton{4 + 28, 32 + 14};
constexpr Point kEmptySpot{62, 300};  // between the left column and pad 0's column

// --- The host ----------------------------------------------------------------

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    float seen;  // getParameter(index) from inside the callback, for automation
};

struct HostLog {
    std::vector<HostCall> calls;
    bool echo = false;  // a host that sets the automated value back at once
};
HostLog hostLog;

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                        float opt) {
    if (opcode == audioMasterVersion) return kVstVersion;
    HostCall call{effect, opcode, index, value, opt, -1.0f};
    if (opcode == audioMasterAutomate && effect != nullptr) {
        // What the host's own view of the parameter shows while it is told.
        call.seen = effect->getParameter(effect, index);
        if (hostLog.echo) effect->setParameter(effect, index, opt);
    }
    hostLog.calls.push_back(call);
    return 0;
}

std::vector<HostCall> callsFor(AEffect* effect) {
    std::vector<HostCall> calls;
    for (const HostCall& call : hostLog.calls)
        if (call.effect == effect) calls.push_back(call);
    return calls;
}

// A stuck modal loop would hang the run: name the test and end it.
class Watchdog {
public:
    void arm(const std::string& what, DWORD seconds) {
        std::snprintf(name, sizeof name, "%s", what.c_str());
        deadline.store(GetTickCount64() + seconds * 1000ull);
        if (thread == nullptr) thread = CreateThread(nullptr, 0, watch, this, 0, nullptr);
    }
    void disarm() { deadline.store(0); }

private:
    static DWORD WINAPI watch(void* self) {
        auto* dog = static_cast<Watchdog*>(self);
        for (;;) {
            Sleep(200);
            const ULONGLONG until = dog->deadline.load();
            if (until != 0 && GetTickCount64() > until) {
                std::fprintf(stderr, "\nwatchdog: %s hung; ending the run\n", dog->name);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    }
    std::atomic<ULONGLONG> deadline{0};
    char name[200] = {};
    HANDLE thread = nullptr;
};
Watchdog watchdog;

// A crash would start wine's debugger, which waits for a user: say where
// instead, and end the run.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* exception) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\ncrashed in %s: exception 0x%08lX at %p\n",
                 test != nullptr ? test->name() : "(no test)",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
const bool crashesReported = [] {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(reportCrash);
    return true;
}();

void runPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Runs this thread's messages for a while, as a host's message loop does,
// and once more at the end: a busy machine may not schedule the test again
// until the time is up, and what fell due meanwhile still runs.
void pump(DWORD milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    do {
        runPendingMessages();
        Sleep(5);
    } while (GetTickCount64() < until);
    runPendingMessages();
}

// The window class of the test's host windows.
const char kHostClass[] = "zel001 editor test host";

// A corner of the screen, away from every editor window: a window mapped
// under the pointer would get a real mouse move.
void parkCursor() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }

class HostWindow {
public:
    HostWindow(int x, int y, int width = kWidth, int height = kHeight) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            windowClass.lpszClassName = kHostClass;
            registered = RegisterClassA(&windowClass) != 0;
        }
        RECT frame{0, 0, width, height};
        AdjustWindowRect(&frame, kStyle, FALSE);
        handle = CreateWindowA(kHostClass, "zel001 editor test", kStyle | WS_VISIBLE, x, y,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        pump(20);
    }
    // As a host answers audioMasterSizeWindow: its client area the new size.
    void resize(int width, int height) {
        RECT frame{0, 0, width, height};
        AdjustWindowRect(&frame, kStyle, FALSE);
        SetWindowPos(handle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        pump(20);
    }
    ~HostWindow() {
        if (IsWindow(handle)) DestroyWindow(handle);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // The host's child windows: the editor's, when it is open.
    std::vector<HWND> children() const {
        std::vector<HWND> list;
        for (HWND child = GetWindow(handle, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            list.push_back(child);
        return list;
    }
    HWND editor() const {
        const std::vector<HWND> list = children();
        return list.size() == 1 ? list[0] : nullptr;
    }
    // The host's client area on the screen.
    POINT origin() const {
        POINT point{0, 0};
        ClientToScreen(handle, &point);
        return point;
    }

    HWND handle = nullptr;

private:
    static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
};

HMODULE pluginModule() { return GetModuleHandleA("zel001_x64.dll"); }

std::string expectedClassName() {
    char name[100];
    std::snprintf(name, sizeof name, "VST_zel001_%X",
                  unsigned(reinterpret_cast<uintptr_t>(pluginModule())));
    return name;
}

bool classRegistered() {
    WNDCLASSA info{};
    return GetClassInfoA(pluginModule(), expectedClassName().c_str(), &info) != 0;
}

std::string windowText(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string classOf(HWND window) {
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

// --- Mouse, keys and drops ---------------------------------------------------

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

void press(HWND editor, Point p) { SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(p.x, p.y)); }
void release(HWND editor, Point p) { SendMessageA(editor, WM_LBUTTONUP, 0, at(p.x, p.y)); }
void click(HWND editor, Point p) {
    press(editor, p);
    release(editor, p);
}

// A press, moves by (dx, dy) each step, and the release where the pointer
// ended.
void drag(HWND editor, Point from, int dx, int dy, int steps) {
    press(editor, from);
    Point p = from;
    for (int i = 0; i < steps; ++i) {
        p.x += dx;
        p.y += dy;
        SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, at(p.x, p.y));
    }
    release(editor, p);
}

void setShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void typeText(HWND edit, const std::string& typed) {
    for (char c : typed) SendMessageA(edit, WM_CHAR, WPARAM(uint8_t(c)), 1);
}

// Files dropped from a file manager: a DROPFILES block of wide paths, as
// Explorer makes it, with the cursor where the user let go.
void dropFiles(HWND editor, const std::vector<std::string>& paths, Point where) {
    RECT frame{};
    GetWindowRect(editor, &frame);
    SetCursorPos(frame.left + where.x, frame.top + where.y);
    size_t characters = 1;
    for (const std::string& path : paths) characters += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{where.x, where.y};
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const std::string& path : paths) {
        for (char c : path) *out++ = wchar_t(uint8_t(c));
        *out++ = 0;
    }
    GlobalUnlock(block);
    SendMessageA(editor, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    parkCursor();
}

// --- Modal dialogs, answered from a thread timer that their modal loop runs --

struct DialogScript {
    DialogScript(std::string title, std::string path) : title(std::move(title)), path(std::move(path)) {}
    std::string title;             // the file dialog to answer
    std::string path;              // typed into its name field; empty: cancel
    std::function<void()> onOpen;  // runs when the dialog is first seen
    bool answered = false;
    ULONGLONG answeredAt = 0;
    std::vector<std::string> messages;  // "zel001" message boxes, dismissed
    std::vector<std::string> others;    // any other dialog, dismissed
    std::set<HWND> handled;
};
DialogScript* script = nullptr;

BOOL CALLBACK collectDialog(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && classOf(window) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> visibleDialogs() {
    std::vector<HWND> list;
    EnumThreadWindows(GetCurrentThreadId(), collectDialog, reinterpret_cast<LPARAM>(&list));
    return list;
}

void pressDialogButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BOOL CALLBACK appendStaticText(HWND child, LPARAM out) {
    if (classOf(child) == "Static") {
        const std::string words = windowText(child);
        auto* all = reinterpret_cast<std::string*>(out);
        if (!words.empty()) *all += (all->empty() ? "" : " ") + words;
    }
    return TRUE;
}

std::string messageText(HWND box) {
    std::string all;
    EnumChildWindows(box, appendStaticText, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND fileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, 0x47C);  // explorer style
    return field != nullptr ? field : GetDlgItem(dialog, 0x480);  // old style
}

void CALLBACK answerDialogs(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* s = script;
    if (s == nullptr) return;
    for (HWND dialog : visibleDialogs()) {
        const std::string title = windowText(dialog);
        if (s->handled.count(dialog) != 0) {
            // Still up long after its answer: an error box of its own may
            // hide behind it. Give up on it.
            if (title == s->title && GetTickCount64() - s->answeredAt > 3000) {
                s->others.push_back("\"" + title + "\" stayed open after its answer");
                pressDialogButton(dialog, IDCANCEL);
                s->answeredAt = GetTickCount64();
            }
            continue;
        }
        s->handled.insert(dialog);
        if (title == "zel001") {
            s->messages.push_back(messageText(dialog));
            pressDialogButton(dialog, IDOK);
        } else if (title == s->title && !s->answered) {
            s->answered = true;
            s->answeredAt = GetTickCount64();
            if (s->onOpen) s->onOpen();
            if (!IsWindow(dialog)) continue;
            HWND field = fileNameField(dialog);
            if (s->path.empty() || field == nullptr) {
                pressDialogButton(dialog, IDCANCEL);
            } else {
                SetWindowTextA(field, s->path.c_str());
                pressDialogButton(dialog, IDOK);
            }
        } else {
            s->others.push_back("\"" + title + "\": " + messageText(dialog));
            pressDialogButton(dialog, fileNameField(dialog) != nullptr ? IDCANCEL : IDOK);
        }
    }
}

// Runs the messages until the script's dialog has been answered and every
// dialog and message box that followed it is gone.
void runDialogs(DialogScript& s) {
    script = &s;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, answerDialogs);
    const ULONGLONG until = GetTickCount64() + 15000;
    while (GetTickCount64() < until && !(s.answered && visibleDialogs().empty())) pump(10);
    pump(300);  // a message box the answer leads to is posted, then shown
    KillTimer(nullptr, timer);
    script = nullptr;
    EXPECT_TRUE(s.answered) << "the \"" << s.title << "\" dialog never appeared";
    EXPECT_TRUE(visibleDialogs().empty()) << "a dialog is still open";
}

// --- Files -------------------------------------------------------------------

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void putLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// A canonical 16-bit mono WAV file: a decaying tone of the given length.
std::vector<uint8_t> wavFile(int frames, double hertz) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    putLittle(out, 36 + 2 * uint32_t(frames), 4);
    for (char c : std::string("WAVEfmt ")) out.push_back(uint8_t(c));
    putLittle(out, 16, 4);
    putLittle(out, 1, 2);  // PCM
    putLittle(out, 1, 2);  // mono
    putLittle(out, 44100, 4);
    putLittle(out, 44100 * 2, 4);
    putLittle(out, 2, 2);
    putLittle(out, 16, 2);
    for (char c : std::string("data")) out.push_back(uint8_t(c));
    putLittle(out, 2 * uint32_t(frames), 4);
    for (int i = 0; i < frames; ++i) {
        const double envelope = 1.0 - double(i) / frames;
        const double value = 24000.0 * envelope * std::sin(2.0 * 3.14159265358979 * hertz * i / 44100.0);
        putLittle(out, uint32_t(int32_t(std::lround(value))), 2);
    }
    return out;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// A folder of this test's own under the working directory, emptied.
std::string freshFolder(const std::string& name) {
    char base[MAX_PATH];
    GetFullPathNameA("editor-files", sizeof base, base, nullptr);
    CreateDirectoryA(base, nullptr);
    const std::string folder = std::string(base) + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& file : filesIn(folder)) DeleteFileA((folder + "\\" + file).c_str());
    return folder;
}

// --- Kits and sound ----------------------------------------------------------

// A mono 16-bit sample of noise, every value well away from silence.
Slot noiseSlot(int frames, uint32_t seed) {
    Slot slot;
    uint32_t state = seed;
    for (int i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const int32_t noise = int32_t(state >> 17) - 16384;
        slot.values.push_back(noise >= 0 ? noise + 4000 : noise - 4000);
    }
    return slot;
}

float peak(const std::vector<float>& channel) {
    float top = 0.0f;
    for (float v : channel) top = std::max(top, std::fabs(v));
    return top;
}

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        testName = info->name();
        watchdog.arm(testName, 60);
        parkCursor();
        setShift(false);
        hostLog = HostLog{};
        folder = freshFolder(testName);
        effect = newInstance();
        ASSERT_NE(effect, nullptr);
        host = std::make_unique<HostWindow>(10, 10);
        ASSERT_NE(host->handle, nullptr);
    }

    void TearDown() override {
        if (HasFailure()) {
            HWND editor = host != nullptr ? host->editor() : nullptr;
            if (editor != nullptr) last = vsthost::captureWindow(editor, kWidth, kHeight);
            if (last.width != 0) {
                const std::string png = "editor-" + testName + ".png";
                std::string error;
                if (vsthost::writePng(png, last, error))
                    std::fprintf(stderr, "the editor as it looked: %s\\%s\n", currentFolder().c_str(),
                                 png.c_str());
            }
        }
        setShift(false);
        effect.reset();
        host.reset();
        pump(20);
        watchdog.disarm();
    }

    static std::string currentFolder() {
        char path[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof path, path);
        return path;
    }

    // An instance set up as a host does before it plays.
    static std::unique_ptr<vsthost::Effect> newInstance() {
        AEffect* record = library != nullptr ? library->create(recordingHost) : nullptr;
        if (record == nullptr) return nullptr;
        auto instance = std::make_unique<vsthost::Effect>(record);
        instance->dispatch(effOpen);
        instance->dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        instance->dispatch(effSetBlockSize, 0, kBlock);
        instance->dispatch(effMainsChanged, 0, 1);
        return instance;
    }

    HWND openEditor(vsthost::Effect& instance, HostWindow& window) {
        EXPECT_EQ(instance.dispatch(effEditOpen, 0, 0, window.handle), 1);
        pump(50);
        return window.editor();
    }
    HWND openEditor() { return openEditor(*effect, *host); }

    // The editor after painting what it has pending.
    Picture capture(HWND editor) { return last = vsthost::captureWindow(editor, kWidth, kHeight); }
    // What the editor's own paints have put on the screen.
    Picture shown(HWND editor) { return last = vsthost::readWindow(editor, kWidth, kHeight); }
    // The same, once the window's timer and paints have drawn what drawn
    // looks for, or after two seconds.
    Picture shownOnce(HWND editor, const std::function<bool(const Picture&)>& drawn) {
        const ULONGLONG until = GetTickCount64() + 2000;
        do {
            pump(10);
            if (drawn(shown(editor))) break;
        } while (GetTickCount64() < until);
        return last;
    }
    Picture shownOnce(HWND editor, Point p, Rgb colour) {
        return shownOnce(editor, [=](const Picture& picture) { return is(picture, p, colour); });
    }

    static std::vector<uint8_t> chunkOf(vsthost::Effect& instance) {
        void* data = nullptr;
        const VstIntPtr size = instance.dispatch(effGetChunk, 0, 0, &data);
        if (size <= 0 || data == nullptr) return {};
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
    std::vector<uint8_t> chunk() { return chunkOf(*effect); }

    VstIntPtr setChunk(std::vector<uint8_t> bytes) {
        return effect->dispatch(effSetChunk, 0, VstIntPtr(bytes.size()), bytes.data());
    }

    vsthost::Audio play(int64_t frames, std::vector<vsthost::MidiEvent> events = {}) {
        return vsthost::render(*effect, frames, kBlock, std::move(events));
    }

    std::string file(const std::string& name) const { return folder + "\\" + name; }

    std::string testName;
    std::string folder;
    std::unique_ptr<vsthost::Effect> effect;
    std::unique_ptr<HostWindow> host;
    Picture last;
};

// --- The window --------------------------------------------------------------

TEST_F(EditorTest, ReportsItsSizeAndOpensAsA1024By599ChildOfTheHostWindow) {
    EXPECT_EQ(effect->record()->flags, 0x131);
    ERect* rect = nullptr;
    ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 599);
    EXPECT_EQ(rect->right, 1024);
    EXPECT_TRUE(host->children().empty());

    ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, host->handle), 1);
    ASSERT_EQ(host->children().size(), 1u);
    HWND editor = host->editor();
    EXPECT_EQ(GetParent(editor), host->handle);
    EXPECT_EQ(GetAncestor(editor, GA_ROOT), host->handle);
    const LONG_PTR style = GetWindowLongPtrA(editor, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(classOf(editor), expectedClassName());
    EXPECT_EQ(windowText(editor), "Window");
    EXPECT_TRUE(classRegistered());

    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right - client.left, 1024);
    EXPECT_EQ(client.bottom - client.top, 599);
    // At the top left of the host's client area.
    RECT frame{};
    GetWindowRect(editor, &frame);
    const POINT origin = host->origin();
    EXPECT_EQ(frame.left, origin.x);
    EXPECT_EQ(frame.top, origin.y);
    EXPECT_EQ(frame.right - frame.left, 1024);
    EXPECT_EQ(frame.bottom - frame.top, 599);

    // The rectangle is the same while open.
    rect = nullptr;
    ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->bottom, 599);
    EXPECT_EQ(rect->right, 1024);
}

TEST_F(EditorTest, PaintsTheBackgroundBordersBarsNameLabelsAndKnobDiscs) {
    // Pad 7 holds a sample: its name shows it.
    Kit kit;
    kit.slots = {noiseSlot(500, 1)};
    kit.pads[7].slotNumber = 1;
    kit.pads[7].fileName = "seven.wav";
    ASSERT_NE(setChunk(patchbytes::encode(kit)), 0);

    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const Picture picture = capture(editor);

    // The background, where no control is: beside the left column, between
    // the columns, between the knobs, below the bars.
    EXPECT_COLOUR(picture, kEmptySpot.x, kEmptySpot.y, kBackground);
    EXPECT_COLOUR(picture, 122, 200, kBackground);
    EXPECT_COLOUR(picture, 500, 119, kBackground);
    EXPECT_COLOUR(picture, 900, 550, kBackground);
    EXPECT_COLOUR(picture, 410, 503, kBackground);
    // The outline of the whole editor.
    EXPECT_COLOUR(picture, 0, 300, kBorder);
    EXPECT_COLOUR(picture, 1023, 300, kBorder);
    EXPECT_COLOUR(picture, 500, 0, kBorder);
    EXPECT_COLOUR(picture, 500, 598, kBorder);
    // The three upright bars between the groups of four pads and the bar
    // above the detail pane.
    for (int x : {301, 541, 781}) EXPECT_COLOUR(picture, x, 250, kBorder);
    EXPECT_COLOUR(picture, 700, 492, kBorder);

    // Pad 0 is selected; pad 7 holds a sample; the others are empty. Probed
    // inside the label's outline, clear of its centred name.
    for (int pad = 0; pad < 16; ++pad) {
        SCOPED_TRACE("name label of pad " + std::to_string(pad));
        const Rgb expected = pad == 0 ? kSelectedName : pad == 7 ? kLoadedName : kIdleLabel;
        EXPECT_COLOUR(picture, columnX(pad) + 3, kNameRow + 3, expected);
        EXPECT_COLOUR(picture, columnX(pad), kNameRow + 14, kBorder);
    }

    // Each knob's disc in its face colour, below its value text.
    for (int pad : {0, 9, 15}) {
        SCOPED_TRACE("knobs of pad " + std::to_string(pad));
        const int x = columnX(pad);
        const Point group = discPoint(x, kGroupRow), pan = discPoint(x, kPanRow),
                    pitch = discPoint(x, kPitchRow), channel = discPoint(x, kChannelRow);
        EXPECT_COLOUR(picture, group.x, group.y, kGroupFace);
        EXPECT_COLOUR(picture, pan.x, pan.y, kPanFace);
        EXPECT_COLOUR(picture, pitch.x, pitch.y, kPitchFace);
        EXPECT_COLOUR(picture, channel.x, channel.y, kGroupFace);
    }
}

// Pad 0's pan knob as the host sets it: the value arc runs from the lower
// left clockwise up to the value, in the knob's ink; the rest of the ring
// is the grey track.
TEST_F(EditorTest, AKnobsValueArcFollowsItsParameter) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const int left = columnX(0);
    const Point leftSide = ringPoint(left, kPanRow, 180), upperLeft = ringPoint(left, kPanRow, 135),
                upperRight = ringPoint(left, kPanRow, 45), rightSide = ringPoint(left, kPanRow, 0),
                disc = discPoint(left, kPanRow);
    struct Case {
        float value;
        Rgb left, upperLeft, upperRight, right;
    };
    const Case cases[] = {
        {0.0f, kTrack, kTrack, kTrack, kTrack},
        {0.5f, kPanInk, kPanInk, kTrack, kTrack},
        {1.0f, kPanInk, kPanInk, kPanInk, kPanInk},
        {0.25f, kPanInk, kTrack, kTrack, kTrack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("pan " + std::to_string(c.value));
        effect->setParameter(kPan, c.value);
        // The host's change reaches the screen through the editor's own timer.
        const Picture picture = shownOnce(editor, [&](const Picture& p) {
            return is(p, leftSide, c.left) && is(p, upperLeft, c.upperLeft) &&
                   is(p, upperRight, c.upperRight) && is(p, rightSide, c.right);
        });
        EXPECT_COLOUR(picture, leftSide.x, leftSide.y, c.left);
        EXPECT_COLOUR(picture, upperLeft.x, upperLeft.y, c.upperLeft);
        EXPECT_COLOUR(picture, upperRight.x, upperRight.y, c.upperRight);
        EXPECT_COLOUR(picture, rightSide.x, rightSide.y, c.right);
        EXPECT_COLOUR(picture, disc.x, disc.y, kPanFace);
    }
}

// Held, ringing after the release, idle once the voice has ended; each
// reaches the screen by the editor's timer or the host's idle call, never by
// the audio thread painting.
TEST_F(EditorTest, ANoteLabelFlashesWithTheNotesOfItsPad) {
    Kit kit;
    kit.slots = {noiseSlot(8000, 7)};
    kit.pads[0].slotNumber = 1;
    kit.pads[0].fileName = "long.wav";
    ASSERT_NE(setChunk(patchbytes::encode(kit)), 0);
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const Point probe{columnX(0) + 3, kNoteRow + 3};  // inside the outline, clear of the text
    const Point other{columnX(1) + 3, kNoteRow + 3};
    EXPECT_COLOUR(capture(editor), probe.x, probe.y, kIdleLabel);

    // Key 36 plays pad 0 on the first output pair.
    vsthost::Audio audio = play(kBlock, {{0, 0x90, 36, 100}});
    EXPECT_GT(peak(audio.channels[0]), 0.01f);
    EXPECT_COLOUR(shown(editor), probe.x, probe.y, kIdleLabel) << "painted before the window's turn";
    EXPECT_COLOUR(shownOnce(editor, probe, kHeldNote), probe.x, probe.y, kHeldNote);
    EXPECT_COLOUR(last, other.x, other.y, kIdleLabel);

    // The release: the one-shot rings on.
    audio = play(kBlock, {{0, 0x80, 36, 0}});
    EXPECT_GT(peak(audio.channels[0]), 0.01f);
    EXPECT_EQ(effect->dispatch(effEditIdle), 0);
    UpdateWindow(editor);
    EXPECT_COLOUR(shown(editor), probe.x, probe.y, kRingingNote);

    // 8000 frames on, the voice has ended.
    audio = play(20 * kBlock);
    EXPECT_EQ(audio.channels[0].back(), 0.0f);
    EXPECT_COLOUR(shownOnce(editor, probe, kIdleLabel), probe.x, probe.y, kIdleLabel);
}

// --- Open, close, reopen -----------------------------------------------------

TEST_F(EditorTest, ClosingAndReopeningKeepsTheControlsAndPaintsInFull) {
    Kit kit;
    kit.slots = {noiseSlot(300, 3)};
    kit.pads[0].slotNumber = 1;
    kit.pads[0].fileName = "short.wav";
    ASSERT_NE(setChunk(patchbytes::encode(kit)), 0);
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    // Pad 3 selected, pad 1's pan turned fully right by the mouse, and key
    // 36 held down on pad 0.
    click(editor, labelMiddle(3, kNameRow));
    drag(editor, knobMiddle(columnX(1), kPanRow), 0, -20, 10);
    EXPECT_FLOAT_EQ(effect->getParameter(1 * kParamsPerPad + kPan), 1.0f);
    play(4 * kBlock, {{0, 0x90, 36, 100}});
    pump(100);
    Picture before = capture(editor);
    EXPECT_COLOUR(before, columnX(3) + 3, kNameRow + 3, kSelectedName);
    EXPECT_COLOUR(before, columnX(0) + 3, kNameRow + 3, kLoadedName);
    EXPECT_COLOUR(before, columnX(0) + 3, kNoteRow + 3, kHeldNote);

    EXPECT_EQ(effect->dispatch(effEditClose), 0);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(host->children().empty());
    pump(50);

    // Nothing reaches a closed editor: its old handle, the host's idle call,
    // parameter changes and notes are harmless and change nothing.
    const std::vector<uint8_t> closedChunk = chunk();
    click(editor, labelMiddle(5, kNameRow));
    SendMessageA(editor, WM_PAINT, 0, 0);
    EXPECT_EQ(effect->dispatch(effEditIdle), 0);
    EXPECT_TRUE(chunk() == closedChunk);
    effect->setParameter(4 * kParamsPerPad + kPan, 0.0f);  // shows at the next open
    play(4 * kBlock);

    ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, host->handle), 1);
    editor = host->editor();
    ASSERT_NE(editor, nullptr);
    // No forced paint: the window's own first paint draws everything.
    const Point pad3Name{columnX(3) + 3, kNameRow + 3};
    const Picture after = shownOnce(editor, pad3Name, kSelectedName);
    EXPECT_COLOUR(after, kEmptySpot.x, kEmptySpot.y, kBackground);
    EXPECT_COLOUR(after, 0, 300, kBorder);
    EXPECT_COLOUR(after, 541, 250, kBorder);
    EXPECT_COLOUR(after, columnX(3) + 3, kNameRow + 3, kSelectedName);
    EXPECT_COLOUR(after, columnX(0) + 3, kNameRow + 3, kLoadedName);
    EXPECT_COLOUR(after, columnX(0) + 3, kNoteRow + 3, kHeldNote);  // the key is still down
    const Point panRight = ringPoint(columnX(1), kPanRow, 0);
    EXPECT_COLOUR(after, panRight.x, panRight.y, kPanInk);
    const Point pad4Arc = ringPoint(columnX(4), kPanRow, 135);
    EXPECT_COLOUR(after, pad4Arc.x, pad4Arc.y, kTrack);
    // Every pixel of the controls as before the close, but pad 4's pan.
    EXPECT_TRUE(sameBox(before, after, 0, 0, columnX(4) - 4, kHeight));
    EXPECT_TRUE(sameBox(before, after, columnX(5) - 2, 0, kWidth, kHeight));

    // The detail pane still edits pad 3: its name box holds pad 3's name.
    press(editor, kNameBox);
    release(editor, kNameBox);
    HWND edit = FindWindowExA(editor, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(windowText(edit), "Close");
}

TEST_F(EditorTest, TheHostClosingThePluginWithTheEditorOpenIsSafe) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(classRegistered());
    effect->close();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(host->children().empty());
    EXPECT_FALSE(classRegistered());
    pump(100);  // the window's timer must not fire into freed memory
}

// --- Mouse -------------------------------------------------------------------

TEST_F(EditorTest, DraggingAKnobChangesTheParameterAndTellsTheHost) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const VstInt32 pan2 = 2 * kParamsPerPad + kPan;
    ASSERT_FLOAT_EQ(effect->getParameter(pan2), 0.5f);
    hostLog.calls.clear();

    // 50 px up in five moves: a quarter of the knob's 200 px travel.
    const Point from = knobMiddle(columnX(2), kPanRow);
    press(editor, from);
    EXPECT_EQ(GetCapture(), editor);
    for (int i = 1; i <= 5; ++i)
        SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, at(from.x, from.y - 10 * i));
    release(editor, {from.x, from.y - 50});
    EXPECT_NE(GetCapture(), editor);
    const float value = effect->getParameter(pan2);
    EXPECT_NEAR(value, 0.75f, 1e-6f);

    const std::vector<HostCall> calls = callsFor(effect->record());
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.front().index, pan2);
    float previous = 0.5f;
    for (size_t i = 1; i + 1 < calls.size(); ++i) {
        SCOPED_TRACE("host call " + std::to_string(i));
        EXPECT_EQ(calls[i].opcode, audioMasterAutomate);
        EXPECT_EQ(calls[i].index, pan2);
        EXPECT_GT(calls[i].opt, previous);
        EXPECT_EQ(calls[i].seen, calls[i].opt) << "the host reads the value it is told of";
        previous = calls[i].opt;
    }
    EXPECT_EQ(calls[5].opt, value);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(calls.back().index, pan2);

    // The knob shows the new value: its arc passes the upper right.
    const Point upperRight = ringPoint(columnX(2), kPanRow, 45), right = ringPoint(columnX(2), kPanRow, 0);
    EXPECT_COLOUR(shownOnce(editor, upperRight, kPanInk), upperRight.x, upperRight.y, kPanInk);
    EXPECT_COLOUR(last, right.x, right.y, kTrack);

    // With Shift held the same 50 px move a fifth as far.
    setShift(true);
    drag(editor, from, 0, -10, 5);
    setShift(false);
    EXPECT_NEAR(effect->getParameter(pan2), 0.8f, 1e-5f);

    // A press on a volume slider 8 px below its top sets full volume at once.
    hostLog.calls.clear();
    const VstInt32 volume1 = 1 * kParamsPerPad + kVolume;
    click(editor, {columnX(1) + 28, kVolumeRow + 8});
    EXPECT_EQ(effect->getParameter(volume1), 1.0f);
    const std::vector<HostCall> slider = callsFor(effect->record());
    ASSERT_EQ(slider.size(), 3u);
    EXPECT_EQ(slider[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(slider[1].opcode, audioMasterAutomate);
    EXPECT_EQ(slider[1].opt, 1.0f);
    EXPECT_EQ(slider[2].opcode, audioMasterEndEdit);
    for (const HostCall& call : slider) EXPECT_EQ(call.index, volume1);
    // ... and 8 px above its bottom, none.
    click(editor, {columnX(1) + 28, kVolumeRow + kVolumeHeight - 8});
    EXPECT_EQ(effect->getParameter(volume1), 0.0f);
}

// The group knob moves in steps of a whole group. A host that reads the
// value back whenever it is told of a change (as it updates its own view)
// must not hold the knob on its step: twenty small moves go as far as one
// big move.
TEST_F(EditorTest, SmallMovesAddUpOnASteppedKnobWhileTheHostReadsIt) {
    auto dragGroup = [&](int steps) {
        auto instance = newInstance();
        if (instance == nullptr) return -1.0f;
        HostWindow window(10, 10);
        HWND editor = openEditor(*instance, window);
        hostLog = HostLog{};
        drag(editor, knobMiddle(columnX(6), kGroupRow), 0, -100 / steps, steps);
        EXPECT_GT(callsFor(instance->record()).size(), 2u);
        return instance->getParameter(6 * kParamsPerPad + 12);
    };
    const float start = effect->getParameter(6 * kParamsPerPad + 12);
    const float oneMove = dragGroup(1);
    EXPECT_GT(oneMove, start);
    EXPECT_EQ(dragGroup(20), oneMove);
}

// A host that sets the value it is told of straight back, from inside its
// callback, gets exactly what a quiet host gets.
TEST_F(EditorTest, AHostEchoingAutomationBackChangesNothing) {
    struct Run {
        std::vector<HostCall> calls;
        std::vector<uint8_t> chunk;
        float value;
    };
    auto gesture = [&](bool echo) {
        auto instance = newInstance();
        Run run{};
        if (instance == nullptr) return run;
        HostWindow window(10, 10);
        HWND editor = openEditor(*instance, window);
        hostLog = HostLog{};
        hostLog.echo = echo;
        drag(editor, knobMiddle(columnX(6), kGroupRow), 3, -7, 12);  // mostly up
        drag(editor, knobMiddle(columnX(6), kPitchRow), 9, 2, 6);    // mostly right
        click(editor, {columnX(6) + 28, kVolumeRow + 100});
        hostLog.echo = false;
        run.calls = callsFor(instance->record());
        run.chunk = chunkOf(*instance);
        run.value = instance->getParameter(6 * kParamsPerPad + 4);
        return run;
    };
    const Run quiet = gesture(false);
    const Run echoed = gesture(true);
    ASSERT_FALSE(quiet.calls.empty());
    ASSERT_EQ(echoed.calls.size(), quiet.calls.size());
    for (size_t i = 0; i < quiet.calls.size(); ++i) {
        SCOPED_TRACE("host call " + std::to_string(i));
        EXPECT_EQ(echoed.calls[i].opcode, quiet.calls[i].opcode);
        EXPECT_EQ(echoed.calls[i].index, quiet.calls[i].index);
        EXPECT_EQ(echoed.calls[i].opt, quiet.calls[i].opt);
    }
    EXPECT_EQ(echoed.value, quiet.value);
    EXPECT_TRUE(echoed.chunk == quiet.chunk);
}

// --- Renaming ----------------------------------------------------------------

TEST_F(EditorTest, TheNameBoxRenamesTheSelectedPad) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const Picture before = capture(editor);

    press(editor, kNameBox);
    release(editor, kNameBox);
    HWND edit = FindWindowExA(editor, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_EQ(GetFocus(), edit);
    RECT box{};
    GetWindowRect(edit, &box);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 64);
    EXPECT_EQ(box.top, 508);
    EXPECT_EQ(box.right, 64 + 56);
    EXPECT_EQ(box.bottom, 508 + 28);
    EXPECT_EQ(windowText(edit), "Bass");

    // The whole name is selected: typing replaces it, all 15 characters of it
    // although the box is only 56 px wide.
    typeText(edit, "Kick Drum Left1");
    EXPECT_EQ(windowText(edit), "Kick Drum Left1");
    EXPECT_EQ(patchbytes::readPad(chunk(), 0).name, "Bass") << "renamed before the box let go";
    click(editor, kEmptySpot);
    std::vector<uint8_t> bytes = chunk();
    EXPECT_EQ(patchbytes::readPad(bytes, 0).name, "Kick Drum Left1");
    EXPECT_EQ(bytes[patchbytes::padRecordAt(0) + 15], 0);
    // The box is parked out of sight and the top label shows the new name.
    GetWindowRect(edit, &box);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_TRUE(box.left >= kWidth || box.right <= box.left || box.bottom <= box.top)
        << "edit box at " << box.left << ", " << box.top << " to " << box.right << ", " << box.bottom;
    EXPECT_NE(GetFocus(), edit);
    const auto nameLabelChanged = [&](const Picture& p) {
        return !sameBox(before, p, columnX(0), kNameRow, columnX(0) + 56, kNameRow + 28);
    };
    const Picture after = shownOnce(editor, nameLabelChanged);
    EXPECT_TRUE(nameLabelChanged(after));
    EXPECT_COLOUR(after, columnX(0) + 3, kNameRow + 3, kSelectedName);

    // A longer name is cut to 15 characters.
    click(editor, kNameBox);
    EXPECT_EQ(windowText(edit), "Kick Drum Left1");
    typeText(edit, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(windowText(edit), "ABCDEFGHIJKLMNOPQRST");
    click(editor, labelMiddle(3, kNameRow));  // selecting pad 3 lets the box go first
    bytes = chunk();
    EXPECT_EQ(patchbytes::readPad(bytes, 0).name, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(bytes[patchbytes::padRecordAt(0) + 15], 0);
    EXPECT_EQ(patchbytes::readPad(bytes, 3).name, "Close");

    // Pad 3 is selected now; a name being typed when the editor closes is kept.
    click(editor, kNameBox);
    EXPECT_EQ(windowText(edit), "Close");
    SendMessageA(edit, WM_CHAR, VK_BACK, 1);  // the selection goes
    typeText(edit, "Hat");
    EXPECT_EQ(effect->dispatch(effEditClose), 0);
    bytes = chunk();
    EXPECT_EQ(patchbytes::readPad(bytes, 3).name, "Hat");
    EXPECT_EQ(patchbytes::readPad(bytes, 0).name, "ABCDEFGHIJKLMNO");
}

// --- Dropped files -----------------------------------------------------------

TEST_F(EditorTest, AWavFileDroppedOnTheFileLabelLoadsIntoTheSelectedPadAndPlays) {
    // Pad 5 ("Open", key 46) plays on output pair 4 (outputs 6 and 7).
    Kit kit;
    kit.pads[5].channel = 3;
    ASSERT_NE(setChunk(patchbytes::encode(kit)), 0);
    ASSERT_TRUE(writeFile(file("hit.wav"), wavFile(4410, 220.0)));
    ASSERT_TRUE(writeFile(file("other.wav"), wavFile(100, 440.0)));
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    click(editor, labelMiddle(5, kNameRow));
    // The audition of the still empty pad is played out, silent.
    vsthost::Audio audio = play(4 * kBlock);
    for (int o = 0; o < kOutputs; ++o) EXPECT_EQ(peak(audio.channels[o]), 0.0f) << "output " << o;
    const Picture before = capture(editor);
    EXPECT_EQ(countColour(before, 64, 538, 344, 566, kLabelInk), 0) << "the file label is empty";

    // Dropped on a knob: nothing.
    const std::vector<uint8_t> unchanged = chunk();
    dropFiles(editor, {file("hit.wav")}, knobMiddle(columnX(5), kPanRow));
    EXPECT_TRUE(chunk() == unchanged);

    // Two files dropped on the file label: the first loads into pad 5.
    dropFiles(editor, {file("hit.wav"), file("other.wav")}, kFileLabel);
    const std::vector<uint8_t> bytes = chunk();
    const patchbytes::PadSettings pad5 = patchbytes::readPad(bytes, 5);
    EXPECT_EQ(pad5.fileName, "hit.wav");
    EXPECT_NE(pad5.slotNumber, 0);
    EXPECT_EQ(pad5.channel, 3);
    for (int p = 0; p < 16; ++p) {
        if (p == 5) continue;
        EXPECT_EQ(patchbytes::readPad(bytes, p).slotNumber, 0) << "pad " << p;
    }
    const Picture named = shownOnce(
        editor, [](const Picture& p) { return countColour(p, 64, 538, 344, 566, kLabelInk) > 20; });
    EXPECT_GT(countColour(named, 64, 538, 344, 566, kLabelInk), 20) << "the file name shows";

    // Key 46 plays it on pair 4 only.
    audio = play(8 * kBlock, {{100, 0x90, 46, 127}});
    for (int o = 0; o < kOutputs; ++o) {
        if (o == 6 || o == 7) {
            EXPECT_GT(peak(audio.channels[o]), 0.05f) << "output " << o;
        } else {
            EXPECT_EQ(peak(audio.channels[o]), 0.0f) << "output " << o;
        }
    }

    // Pressing the pad's name auditions it.
    audio = play(20 * kBlock);  // the first hit dies away
    EXPECT_EQ(audio.channels[6].back(), 0.0f);
    press(editor, labelMiddle(5, kNameRow));
    audio = play(2 * kBlock);
    EXPECT_GT(peak(audio.channels[6]), 0.05f);
    release(editor, labelMiddle(5, kNameRow));

    // A drop on another pad's name only selects that pad.
    const std::vector<uint8_t> loaded = chunk();
    dropFiles(editor, {file("other.wav")}, labelMiddle(2, kNameRow));
    EXPECT_TRUE(chunk() == loaded);
    EXPECT_COLOUR(capture(editor), columnX(2) + 3, kNameRow + 3, kSelectedName);
    EXPECT_COLOUR(last, columnX(5) + 3, kNameRow + 3, kLoadedName);
}

// --- File dialogs ------------------------------------------------------------

TEST_F(EditorTest, FileDialogsLoadAWavAndSaveAndLoadPatches) {
    ASSERT_TRUE(writeFile(file("hit.wav"), wavFile(3000, 330.0)));
    ASSERT_TRUE(writeFile(file("saved.bin"), std::vector<uint8_t>(100, 'x')));  // replaced
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);

    // Pressing the file label asks for a WAV file for the selected pad.
    click(editor, labelMiddle(4, kNameRow));
    DialogScript open{"Open WAV file", file("hit.wav")};
    click(editor, kFileLabel);
    runDialogs(open);
    EXPECT_TRUE(open.messages.empty()) << open.messages.front();
    EXPECT_TRUE(open.others.empty()) << open.others.front();
    EXPECT_EQ(patchbytes::readPad(chunk(), 4).fileName, "hit.wav");
    EXPECT_NE(patchbytes::readPad(chunk(), 4).slotNumber, 0);

    // Save writes the kit as the host's chunk holds it, over the old file,
    // and leaves nothing else behind.
    effect->setParameter(2 * kParamsPerPad + kPan, 0.8f);
    const std::vector<uint8_t> saved = chunk();
    DialogScript save{"Save Patch file", file("saved.bin")};
    click(editor, kSaveButton);
    runDialogs(save);
    EXPECT_TRUE(save.messages.empty()) << save.messages.front();
    EXPECT_TRUE(save.others.empty()) << save.others.front();
    EXPECT_TRUE(readFile(file("saved.bin")) == saved) << "the file is not the kit";
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"hit.wav", "saved.bin"}));

    // Changed, then loaded back: the kit is the saved one again, byte for byte.
    effect->setParameter(2 * kParamsPerPad + kPan, 0.1f);
    effect->setParameter(4 * kParamsPerPad + kVolume, 0.2f);
    click(editor, kFileLabel);
    DialogScript cancelled{"Open WAV file", ""};
    runDialogs(cancelled);
    EXPECT_TRUE(chunk() != saved);
    DialogScript load{"Load Patch file", file("saved.bin")};
    click(editor, kLoadButton);
    runDialogs(load);
    EXPECT_TRUE(load.messages.empty()) << load.messages.front();
    EXPECT_TRUE(load.others.empty()) << load.others.front();
    EXPECT_TRUE(chunk() == saved) << "the loaded kit differs from the saved one";
    EXPECT_NEAR(effect->getParameter(2 * kParamsPerPad + kPan), 0.8f, 1e-6f);
    // A loaded patch shows with pad 0 selected.
    const Point pad0Name{columnX(0) + 3, kNameRow + 3};
    EXPECT_COLOUR(shownOnce(editor, pad0Name, kSelectedName), pad0Name.x, pad0Name.y, kSelectedName);
    EXPECT_COLOUR(last, columnX(4) + 3, kNameRow + 3, kLoadedName);
}

TEST_F(EditorTest, CancelledDialogsChangeNothing) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    effect->setParameter(kPan, 0.3f);
    const std::vector<uint8_t> before = chunk();
    const struct {
        Point control;
        const char* title;
    } dialogs[] = {{kFileLabel, "Open WAV file"},
                   {kSaveButton, "Save Patch file"},
                   {kLoadButton, "Load Patch file"}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.title);
        DialogScript cancel{d.title, ""};
        click(editor, d.control);
        runDialogs(cancel);
        EXPECT_TRUE(cancel.messages.empty()) << cancel.messages.front();
        EXPECT_TRUE(cancel.others.empty()) << cancel.others.front();
        EXPECT_TRUE(chunk() == before);
    }
    EXPECT_TRUE(filesIn(folder).empty());
    EXPECT_FLOAT_EQ(effect->getParameter(kPan), 0.3f);
}

TEST_F(EditorTest, RefusedFilesSayWhyAndChangeNothing) {
    ASSERT_TRUE(writeFile(file("notes.bin"), std::vector<uint8_t>(20000, 'n')));
    ASSERT_TRUE(writeFile(file("notes.wav"), std::vector<uint8_t>(3000, 'w')));
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const std::vector<uint8_t> before = chunk();

    DialogScript load{"Load Patch file", file("notes.bin")};
    click(editor, kLoadButton);
    runDialogs(load);
    ASSERT_EQ(load.messages.size(), 1u);
    EXPECT_NE(load.messages[0].find("notes.bin"), std::string::npos) << load.messages[0];
    EXPECT_TRUE(load.others.empty()) << load.others.front();
    EXPECT_TRUE(chunk() == before);

    DialogScript open{"Open WAV file", file("notes.wav")};
    click(editor, kFileLabel);
    runDialogs(open);
    ASSERT_EQ(open.messages.size(), 1u);
    EXPECT_NE(open.messages[0].find("notes.wav"), std::string::npos) << open.messages[0];
    EXPECT_TRUE(chunk() == before);

    // The same file dropped: the same answer, from a message box of its own
    // once the drop is done.
    DialogScript dropped{"", ""};
    dropped.answered = true;
    dropFiles(editor, {file("notes.wav")}, kFileLabel);
    runDialogs(dropped);
    ASSERT_EQ(dropped.messages.size(), 1u);
    EXPECT_NE(dropped.messages[0].find("notes.wav"), std::string::npos) << dropped.messages[0];
    EXPECT_TRUE(chunk() == before);
}

// --- Keys --------------------------------------------------------------------

TEST_F(EditorTest, KeysAreLeftToTheHost) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const std::vector<uint8_t> before = chunk();
    hostLog.calls.clear();
    // (character, virtual key) as hosts send them: 'a', space, Delete, an arrow.
    const struct {
        VstInt32 character;
        VstIntPtr virtualKey;
    } keys[] = {{'a', 0}, {' ', 0}, {0, 3 /* VKEY_BACK */}, {0, 22 /* VKEY_DELETE */},
                {0, 13 /* VKEY_UP */}};
    for (const auto& key : keys) {
        EXPECT_EQ(effect->dispatch(effEditKeyDown, key.character, key.virtualKey), 0);
        EXPECT_EQ(effect->dispatch(effEditKeyUp, key.character, key.virtualKey), 0);
    }
    // Keys sent to the editor's window itself change nothing either.
    for (WPARAM key : {WPARAM(VK_DELETE), WPARAM(VK_SPACE), WPARAM(VK_UP), WPARAM('S')}) {
        SendMessageA(editor, WM_KEYDOWN, key, 1);
        SendMessageA(editor, WM_KEYUP, key, 0xC0000001);
    }
    SendMessageA(editor, WM_CHAR, 'x', 1);
    pump(100);
    EXPECT_TRUE(visibleDialogs().empty());
    EXPECT_TRUE(chunk() == before);
    EXPECT_TRUE(callsFor(effect->record()).empty());
}

// --- Other scales ------------------------------------------------------------

VstIntPtr sendScale(vsthost::Effect& instance, float scale) {
    return instance.dispatch(effVendorSpecific, kScaleRequestIndex, kScaleRequestValue, nullptr, scale);
}

// A place of the layout at the scale.
Point scaled(Point p, double scale) { return {int(p.x * scale), int(p.y * scale)}; }

// The host's size requests since the log was cleared, as "width x height".
std::vector<std::string> sizeRequests(AEffect* effect) {
    std::vector<std::string> requests;
    for (const HostCall& call : callsFor(effect))
        if (call.opcode == audioMasterSizeWindow)
            requests.push_back(std::to_string(call.index) + " x " + std::to_string(call.value));
    return requests;
}

std::string clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return std::to_string(client.right) + " x " + std::to_string(client.bottom);
}

// Told by the host before it opens the editor: the editor opens and paints
// at twice the size, and the mouse, drops and the name box find each control
// at its place there.
TEST_F(EditorTest, AtTwiceTheSizeTheMouseDropsAndTheNameBoxFindTheScaledControls) {
    ASSERT_TRUE(writeFile(file("hit.wav"), wavFile(3000, 330.0)));
    ASSERT_EQ(sendScale(*effect, 2.0f), 1);
    host = std::make_unique<HostWindow>(10, 10, 2048, 1198);
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(clientSize(editor), "2048 x 1198");
    EXPECT_TRUE(sizeRequests(effect->record()).empty()) << "the host knew the size";
    last = vsthost::captureWindow(editor, 2048, 1198);
    const Point name1 = scaled({columnX(1) + 3, kNameRow + 3}, 2), disc = scaled(discPoint(columnX(9), kPanRow), 2);
    EXPECT_COLOUR(last, name1.x, name1.y, kIdleLabel);
    EXPECT_COLOUR(last, disc.x, disc.y, kPanFace);
    EXPECT_COLOUR(last, 1, 1, kBorder) << "a line of 1 is 2 pixels wide";

    // 100 pixels up from pad 2's pan knob: a quarter of its 400 pixels of travel.
    drag(editor, scaled(knobMiddle(columnX(2), kPanRow), 2), 0, -20, 5);
    EXPECT_NEAR(effect->getParameter(2 * kParamsPerPad + kPan), 0.75f, 1e-6f);
    dropFiles(editor, {file("hit.wav")}, scaled(kFileLabel, 2));
    EXPECT_EQ(patchbytes::readPad(chunk(), 0).fileName, "hit.wav");

    click(editor, scaled(kNameBox, 2));
    HWND edit = FindWindowExA(editor, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    RECT box{};
    GetWindowRect(edit, &box);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 128);
    EXPECT_EQ(box.top, 1016);
    EXPECT_EQ(box.right, 128 + 112);
    EXPECT_EQ(box.bottom, 1016 + 56);
    LOGFONTA font{}, system{};
    ASSERT_NE(GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    EXPECT_EQ(font.lfHeight, 2 * system.lfHeight) << "the system's font at twice its size";
}

// Told while the editor is open: the window takes the size at once and asks
// the host for it; back at 1 every pixel is as it was.
TEST_F(EditorTest, AScaleWhileOpenResizesTheEditorAndAsksTheHost) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const Picture atOne = capture(editor);
    hostLog.calls.clear();
    ASSERT_EQ(sendScale(*effect, 1.5f), 1);
    EXPECT_EQ(sizeRequests(effect->record()), std::vector<std::string>{"1536 x 899"});
    EXPECT_EQ(clientSize(editor), "1536 x 899");
    host->resize(1536, 899);
    EXPECT_COLOUR(vsthost::captureWindow(editor, 1536, 899), 1535, 898, kBorder) << "the outline's far corner";

    hostLog.calls.clear();
    ASSERT_EQ(sendScale(*effect, 1.0f), 1);
    EXPECT_EQ(sizeRequests(effect->record()), std::vector<std::string>{"1024 x 599"});
    host->resize(kWidth, kHeight);
    EXPECT_TRUE(sameBox(atOne, capture(editor), 0, 0, kWidth, kHeight)) << "every pixel as before";
}

// --- Two instances -----------------------------------------------------------

TEST_F(EditorTest, TwoInstancesEachHaveTheirOwnWindow) {
    auto second = newInstance();
    ASSERT_NE(second, nullptr);
    HostWindow secondHost(200, 300);
    HWND first = openEditor();
    HWND other = openEditor(*second, secondHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(first, other);
    EXPECT_EQ(GetParent(other), secondHost.handle);
    EXPECT_EQ(classOf(other), classOf(first));

    // Input to one changes that one only.
    const VstInt32 pan2 = 2 * kParamsPerPad + kPan;
    click(first, labelMiddle(3, kNameRow));
    drag(other, knobMiddle(columnX(2), kPanRow), 0, -10, 5);
    EXPECT_FLOAT_EQ(effect->getParameter(pan2), 0.5f);
    EXPECT_NEAR(second->getParameter(pan2), 0.75f, 1e-6f);
    SetWindowPos(host->handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_COLOUR(capture(first), columnX(3) + 3, kNameRow + 3, kSelectedName);
    SetWindowPos(secondHost.handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_COLOUR(capture(other), columnX(0) + 3, kNameRow + 3, kSelectedName);
    EXPECT_COLOUR(last, columnX(3) + 3, kNameRow + 3, kIdleLabel);

    // The first closes, then goes: the second paints and takes input on.
    EXPECT_EQ(effect->dispatch(effEditClose), 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(classRegistered());
    effect->close();
    EXPECT_TRUE(classRegistered());
    EXPECT_TRUE(IsWindow(other));
    drag(other, knobMiddle(columnX(2), kPanRow), 0, 10, 10);
    EXPECT_NEAR(second->getParameter(pan2), 0.25f, 1e-6f);
    second->setParameter(kPan, 1.0f);
    const Point right = ringPoint(columnX(0), kPanRow, 0), pad2 = ringPoint(columnX(2), kPanRow, 135);
    EXPECT_COLOUR(shownOnce(other, right, kPanInk), right.x, right.y, kPanInk);
    EXPECT_COLOUR(last, pad2.x, pad2.y, kTrack);
    EXPECT_COLOUR(last, kEmptySpot.x, kEmptySpot.y, kBackground);

    second->close();
    EXPECT_FALSE(IsWindow(other));
    EXPECT_FALSE(classRegistered());
}

// --- Closing under a dialog --------------------------------------------------

TEST_F(EditorTest, ClosingTheEditorWhileADialogIsOpenIsSafe) {
    ASSERT_TRUE(writeFile(file("hit.wav"), wavFile(3000, 330.0)));
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    const std::vector<uint8_t> before = chunk();

    DialogScript load{"Load Patch file", ""};
    load.onOpen = [&] { effect->dispatch(effEditClose); };
    click(editor, kLoadButton);
    runDialogs(load);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(host->children().empty());
    EXPECT_TRUE(load.messages.empty()) << load.messages.front();
    EXPECT_TRUE(chunk() == before);

    // The editor opens again as new.
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_COLOUR(capture(editor), kEmptySpot.x, kEmptySpot.y, kBackground);
    EXPECT_COLOUR(last, columnX(0) + 3, kNameRow + 3, kSelectedName);

    // Even when the user picks a file after the editor went, nothing loads.
    DialogScript open{"Open WAV file", file("hit.wav")};
    open.onOpen = [&] { effect->dispatch(effEditClose); };
    click(editor, kFileLabel);
    runDialogs(open);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(chunk() == before);
}

TEST_F(EditorTest, ThePluginGoingWhileADialogIsOpenIsSafe) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    DialogScript save{"Save Patch file", file("never.bin")};
    save.onOpen = [&] { effect->close(); };
    click(editor, kSaveButton);
    runDialogs(save);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(host->children().empty());
    EXPECT_FALSE(classRegistered());
    EXPECT_TRUE(filesIn(folder).empty());
    pump(100);
}

}  // namespace
