// The editor's window on Linux: a child of the X11 window the host gives us,
// on a display connection of our own. It paints with Cairo into a back buffer
// in our own memory and puts the part a paint touched on the screen. (Cairo's
// X11 surfaces keep glyphs per connection and leave them behind when the
// connection closes, each time the editor opens.) No thread of ours: the
// host's regular idle call reads the window's events, picks up repaint
// requests and dialog answers, and paints.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "editor/NativeWindow.h"
#include "editor/x11/CairoCanvas.h"
#include "editor/x11/DesktopDialog.h"
#include "editor/x11/DesktopScale.h"
#include "editor/x11/XdndTarget.h"
#include "platform/Platform.h"

namespace {

// Two presses of a button this close in time and place are a double click,
// whose second press, as on Windows, is not handled.
constexpr Time kDoubleClickMs = 500;
constexpr int kDoubleClickPixels = 2;
constexpr int kLongestName = 15;

constexpr uint32_t kFieldBorder = 0x9999FF, kFieldFace = 0xFFFFFF, kFieldInk = 0x000000;
constexpr uint32_t kBannerFace = 0xCCFFFF, kBannerInk = 0x000055;
// Lengths at scale 1: the overlays' text, and the banner's box over the
// detail pane.
constexpr int kOverlayFontHeight = 16;
constexpr int kBannerLeft = 124, kBannerTop = 504, kBannerRight = 900, kBannerBottom = 594;

// Errors on our own connection (a parent the host destroyed under our window,
// say) must not end the host, which Xlib's default handler would: while we
// talk to the server they are noted and ignored. The handler is the
// process's; errors of other connections go on to the one we replaced.
class ErrorsNoted {
public:
    explicit ErrorsNoted(Display* display) : display(display), outer(current) {
        current = this;
        previous = XSetErrorHandler(note);
    }
    ~ErrorsNoted() {
        XSync(display, False);
        XSetErrorHandler(previous);
        current = outer;
    }
    ErrorsNoted(const ErrorsNoted&) = delete;
    ErrorsNoted& operator=(const ErrorsNoted&) = delete;
    // Whether the server refused anything we asked for so far.
    bool any() {
        XSync(display, False);
        return errors > 0;
    }

private:
    static int note(Display* from, XErrorEvent* error) {
        for (ErrorsNoted* noted = current; noted != nullptr; noted = noted->outer)
            if (noted->display == from) {
                ++noted->errors;
                return 0;
            }
        return current != nullptr && current->previous != nullptr ? current->previous(from, error) : 0;
    }

    static ErrorsNoted* current;
    Display* display;
    ErrorsNoted* outer;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
    int errors = 0;
};
ErrorsNoted* ErrorsNoted::current = nullptr;

std::string moduleFolder() {
    char path[kPathSize];
    platformModulePath(path, sizeof path);
    std::string folder = path;
    const size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

// The back buffer's pixels are 32-bit words, blue in the low byte: what a
// 24-bit true-colour X visual takes as they are.
bool takesOurPixels(Display* display, Visual* visual, int depth) {
    return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
           visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF &&
           ImageByteOrder(display) == LSBFirst;
}

class X11Window : public NativeWindow, public EditorWindow {
public:
    X11Window(Editor& editor, Display* display, Window parent);
    ~X11Window() override;
    bool isValid() const { return image != nullptr; }

    void idle() override;
    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

    void invalidate() override { needsPaint = true; }
    void resize() override;
    void showNameBox(int x, int y, int width, int height, const char* text) override;
    void parkNameBox() override;
    void nameBoxText(char* text, int size) override;
    void chooseFile(FileRequest request) override;
    void tell(const char* message) override;

private:
    void dispatch(XEvent& event);
    void pressed(const XButtonEvent& button);
    void keyPressed(XKeyEvent& key);
    void pollDialog();
    void paint();
    void drawOverlays(CairoCanvas& canvas);
    void show(int left, int top, int right, int bottom);
    bool createBackBuffer();
    void releaseBackBuffer();

    Editor& editor;
    Display* display;
    Window parent;
    Window window = 0;
    int width, height;
    GC gc = nullptr;
    cairo_surface_t* surface = nullptr;  // the back buffer
    XImage* image = nullptr;             // the same pixels, as X puts them
    std::unique_ptr<XdndTarget> drops;
    DesktopDialog dialog;
    bool opened = false;
    bool needsPaint = true;
    bool exposed = false;  // the window lost what it showed

    // The rename field: drawn over the name box while the user types.
    bool fieldShown = false;
    int fieldX = 0, fieldY = 0, fieldWidth = 0, fieldHeight = 0;
    std::string fieldText;

    std::string banner;  // a message for the user, until the next press

    Time lastPressTime = 0;
    unsigned lastPressButton = 0;
    int lastPressX = 0, lastPressY = 0;
};

X11Window::X11Window(Editor& editor, Display* display, Window parent)
    : editor(editor), display(display), parent(parent), width(editor.size().width),
      height(editor.size().height) {
    ErrorsNoted noted(display);
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | StructureNotifyMask;
    attributes.background_pixel = BlackPixel(display, screen);
    // The window takes the screen's default visual, as the back buffer does,
    // not the parent's: a host window of another visual (32 bits with alpha,
    // say) would make every copy to the window fail.
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (!takesOurPixels(display, visual, depth)) return;
    attributes.colormap = DefaultColormap(display, screen);
    attributes.border_pixel = 0;
    window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                           CWEventMask | CWBackPixel | CWBorderPixel | CWColormap, &attributes);
    gc = XCreateGC(display, window, 0, nullptr);
    if (noted.any() || !createBackBuffer()) return;
    drops = std::make_unique<XdndTarget>(
        display, window, [this](int x, int y) { return this->editor.takesDropAt(x, y); },
        [this](int x, int y, const std::string& path) { this->editor.drop(x, y, path.c_str()); });
    XMapWindow(display, window);
    editor.open(*this);
    opened = true;
    XFlush(display);
}

X11Window::~X11Window() {
    {
        ErrorsNoted noted(display);
        dialog.cancel();
        if (opened) editor.close();
        releaseBackBuffer();
        if (gc != nullptr) XFreeGC(display, gc);
        if (window != 0) XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

// The back buffer at the window's size, and the image that puts it on the
// screen: the screen's default visual, as the window's.
bool X11Window::createBackBuffer() {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return false;
    const int screen = DefaultScreen(display);
    image = XCreateImage(display, DefaultVisual(display, screen), static_cast<unsigned>(DefaultDepth(display, screen)),
                         ZPixmap, 0, reinterpret_cast<char*>(cairo_image_surface_get_data(surface)),
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                         cairo_image_surface_get_stride(surface));
    return image != nullptr;
}

void X11Window::releaseBackBuffer() {
    if (image != nullptr) {
        image->data = nullptr;  // Cairo's memory, freed with the surface
        XDestroyImage(image);
    }
    if (surface != nullptr) cairo_surface_destroy(surface);
    image = nullptr;
    surface = nullptr;
}

// The window and its back buffer at the editor's new size; the editor has
// asked for a full paint. Without the memory for a new buffer the window
// shows nothing until the next change of size.
void X11Window::resize() {
    ErrorsNoted noted(display);
    const PixelSize size = editor.size();
    width = size.width;
    height = size.height;
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    releaseBackBuffer();
    if (!createBackBuffer()) releaseBackBuffer();
    needsPaint = true;
}

void X11Window::idle() {
    ErrorsNoted noted(display);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        dispatch(event);
    }
    pollDialog();
    if (editor.takeRepaintRequest()) needsPaint = true;
    if (needsPaint) paint();
    if (exposed) show(0, 0, width, height);
    exposed = false;
}

void X11Window::dispatch(XEvent& event) {
    if (drops->handle(event)) return;
    switch (event.type) {
        case Expose:
            exposed = true;
            break;
        case ButtonPress:
            pressed(event.xbutton);
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1) editor.release(MouseButton::Left);
            if (event.xbutton.button == Button3) editor.release(MouseButton::Right);
            break;
        case MotionNotify:
            editor.move(event.xmotion.x, event.xmotion.y, (event.xmotion.state & ShiftMask) != 0);
            break;
        case KeyPress:
            keyPressed(event.xkey);
            break;
        default:
            break;
    }
}

void X11Window::pressed(const XButtonEvent& button) {
    if (button.button != Button1 && button.button != Button3) return;  // wheels and the rest
    const bool doubleClick = button.button == lastPressButton && lastPressTime != 0 &&
                             button.time - lastPressTime <= kDoubleClickMs &&
                             std::abs(button.x - lastPressX) <= kDoubleClickPixels &&
                             std::abs(button.y - lastPressY) <= kDoubleClickPixels;
    lastPressTime = doubleClick ? 0 : button.time;
    lastPressButton = button.button;
    lastPressX = button.x;
    lastPressY = button.y;
    if (!banner.empty()) {
        banner.clear();
        editor.model().fullRedraw += 1;  // the message goes
        needsPaint = true;
    }
    if (doubleClick) return;
    editor.press(button.x, button.y, button.button == Button1 ? MouseButton::Left : MouseButton::Right);
}

// Keys reach the editor only while a name is being typed.
void X11Window::keyPressed(XKeyEvent& key) {
    if (!fieldShown) return;
    char typed[8] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
    if (symbol == XK_Return || symbol == XK_KP_Enter) {
        editor.press(-1, -1, MouseButton::Left);  // a press on nothing lets the name go
        editor.release(MouseButton::Left);
    } else if (symbol == XK_BackSpace) {
        if (!fieldText.empty()) fieldText.pop_back();
    } else if (count == 1 && static_cast<unsigned char>(typed[0]) >= 0x20 && typed[0] != 0x7F &&
               static_cast<int>(fieldText.size()) < kLongestName) {
        fieldText += typed[0];
    }
    needsPaint = true;
}

void X11Window::showNameBox(int x, int y, int boxWidth, int boxHeight, const char* text) {
    fieldShown = true;
    fieldX = x;
    fieldY = y;
    fieldWidth = boxWidth;
    fieldHeight = boxHeight;
    fieldText = text != nullptr ? std::string(text).substr(0, kLongestName) : std::string();
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    needsPaint = true;
}

void X11Window::parkNameBox() {
    if (!fieldShown) return;
    fieldShown = false;
    XSetInputFocus(display, parent, RevertToParent, CurrentTime);
    needsPaint = true;
}

void X11Window::nameBoxText(char* text, int size) {
    std::strncpy(text, fieldText.c_str(), static_cast<size_t>(size - 1));
    text[size - 1] = '\0';
}

void X11Window::chooseFile(FileRequest request) {
    if (dialog.running()) return;  // one dialog at a time
    if (!dialog.start(request, moduleFolder()))
        tell("No file dialog to show: install zenity or kdialog.");
}

void X11Window::tell(const char* message) {
    banner = message;
    needsPaint = true;
}

void X11Window::pollDialog() {
    if (!dialog.running()) return;
    std::string path;
    if (dialog.poll(path) != DesktopDialog::Outcome::Chosen) return;
    // The desktop's save dialogs add no extension of their own.
    if (dialog.request() == FileRequest::SavePatch && path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += ".bin";
    editor.fileChosen(dialog.request(), path.c_str());
}

// Drawn at the editor's scale, as its controls are; the field stands where
// the editor showed the name box, in window pixels already.
void X11Window::drawOverlays(CairoCanvas& canvas) {
    const EditorModel& model = editor.model();
    const int line = pixelsOf(model, 1), fontHeight = pixelsOf(model, kOverlayFontHeight);
    if (fieldShown) {
        canvas.rectangle(fieldX, fieldY, fieldX + fieldWidth, fieldY + fieldHeight, kFieldBorder, kFieldFace,
                         line);
        canvas.text(fieldX, fieldY, fieldWidth, fieldHeight, (fieldText + "|").c_str(), kFieldInk, fontHeight, 0);
    }
    if (!banner.empty()) {
        const int left = pixelsOf(model, kBannerLeft), top = pixelsOf(model, kBannerTop);
        const int right = pixelsOf(model, kBannerRight), bottom = pixelsOf(model, kBannerBottom);
        canvas.rectangle(left, top, right, bottom, kBannerInk, kBannerFace, line);
        canvas.text(left, top, right - left, bottom - top, banner.c_str(), kBannerInk, fontHeight, 0);
    }
}

void X11Window::paint() {
    if (surface == nullptr) return;
    cairo_t* cr = cairo_create(surface);
    CairoCanvas canvas(cr);
    editor.paint(canvas);
    drawOverlays(canvas);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const CairoCanvas::Box drawn = canvas.touched();
    if (!drawn.empty()) show(drawn.left, drawn.top, drawn.right, drawn.bottom);
    needsPaint = false;
}

void X11Window::show(int left, int top, int right, int bottom) {
    if (image == nullptr) return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (right <= left || bottom <= top) return;
    XPutImage(display, window, gc, image, left, top, left, top, static_cast<unsigned>(right - left),
              static_cast<unsigned>(bottom - top));
}

// A busy X server can turn a connection away for a moment (its queue of
// waiting connections full); a few quick tries ride that out.
Display* connect() {
    for (int attempt = 0;; ++attempt) {
        Display* display = XOpenDisplay(nullptr);
        if (display != nullptr || errno != EAGAIN || attempt == 9) return display;
        platformSleepMs(2);
    }
}

}  // namespace

std::unique_ptr<NativeWindow> openNativeWindow(Editor& editor, void* parent) {
    if (parent == nullptr) return nullptr;
    Display* display = connect();
    if (display == nullptr) return nullptr;  // no X server: no editor, nothing else changes
    editor.setDesktopScale(desktopScale(display));
    auto window = std::make_unique<X11Window>(editor, display, static_cast<Window>(reinterpret_cast<uintptr_t>(parent)));
    if (!window->isValid()) return nullptr;
    return window;
}
