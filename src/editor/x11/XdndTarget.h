// Our window as a drop target of the XDND protocol (version 5), which file
// managers use to drag files: it takes text/uri-list drops on the controls
// that want them and hands over the first local file's path.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

class XdndTarget {
public:
    using Accepts = std::function<bool(int x, int y)>;
    using Dropped = std::function<void(int x, int y, const std::string& path)>;

    // Announces the window as a drop target.
    XdndTarget(Display* display, Window window, Accepts accepts, Dropped dropped);

    // Handles a client message or selection event of a drag; true when the
    // event was one.
    bool handle(const XEvent& event);

private:
    void entered(const XClientMessageEvent& message);
    void moved(const XClientMessageEvent& message);
    void droppedHere(const XClientMessageEvent& message);
    void received(const XSelectionEvent& selection);
    void reply(Atom type, long l1, long l2);
    bool sourceOffersUriList(const XClientMessageEvent& message) const;

    Display* display;
    Window window;
    Accepts accepts;
    Dropped dropped;
    struct Atoms {
        Atom aware, enter, position, status, leave, drop, finished, selection, actionCopy, typeList,
            uriList, property;
    } atom;
    Window source = 0;
    bool offersUriList = false;
    bool accepted = false;
    int x = 0, y = 0;
};
