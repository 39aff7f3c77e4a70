// A host's own window for the editor to open in: a top-level window on
// Windows, an X11 window on a connection of the test's own on Linux.
#pragma once

#include <string>

class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // False (with why) where no window can be made: no X display, say.
    bool valid() const { return handle != nullptr; }
    const std::string& whyNot() const { return reason; }
    // What effEditOpen takes.
    void* parent() const { return handle; }
    // Runs the window system's messages for a moment, as a host's loop does.
    void pump();

    // The process's window-system objects on Windows (GDI objects, USER
    // objects, kernel handles), counted by the system or, under wine, which
    // counts none, probed; all 0 elsewhere.
    struct Resources {
        long gdi = 0, user = 0, handles = 0;
        bool probed = false;
        // Equal, or within what wine keeps for a moment (a cached device
        // context, say) when probed: a leak in every one of many openings
        // shows far beyond that.
        bool sameAs(const Resources& other) const;
        std::string text() const;
    };
    static Resources resources();

private:
    void* handle = nullptr;
    void* connection = nullptr;
    std::string reason;
};
