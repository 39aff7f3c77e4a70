// The source side of a file drag as a file manager makes it: a window of
// its own that speaks XDND to the target window and hands over a
// text/uri-list when the target asks for the selection.
#pragma once

// GoogleTest before Xlib, whose macros break its headers.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>

namespace x11test {

constexpr long kXdndVersion = 5;

// A URI's path with everything but unreserved characters and '/' escaped.
inline std::string fileUri(const std::string& path) {
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

// The source side of a drag: owns XdndSelection, sends the drag's messages
// to the target window and answers what comes back.
class DragSource {
public:
    DragSource(Display* dpy, Window target, std::string uriList)
        : dpy(dpy), target(target), uriList(std::move(uriList)) {
        source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
        atom.enter = XInternAtom(dpy, "XdndEnter", False);
        atom.position = XInternAtom(dpy, "XdndPosition", False);
        atom.status = XInternAtom(dpy, "XdndStatus", False);
        atom.leave = XInternAtom(dpy, "XdndLeave", False);
        atom.drop = XInternAtom(dpy, "XdndDrop", False);
        atom.finished = XInternAtom(dpy, "XdndFinished", False);
        atom.selection = XInternAtom(dpy, "XdndSelection", False);
        atom.copy = XInternAtom(dpy, "XdndActionCopy", False);
        atom.uriList = XInternAtom(dpy, "text/uri-list", False);
        atom.typeList = XInternAtom(dpy, "XdndTypeList", False);
        XSetSelectionOwner(dpy, atom.selection, source, CurrentTime);
        XSync(dpy, False);
    }
    ~DragSource() { XDestroyWindow(dpy, source); }
    DragSource(const DragSource&) = delete;
    DragSource& operator=(const DragSource&) = delete;

    bool ownsSelection() const { return XGetSelectionOwner(dpy, atom.selection) == source; }

    // What the target answered so far.
    struct Answers {
        bool status = false, accepted = false;
        long statusAction = 0;
        bool finished = false, succeeded = false;
        long finishedAction = 0;
        int requests = 0;
        Atom requestedType = None;
    } answers;

    void enter() {
        answers = Answers{};
        send(atom.enter, kXdndVersion << 24, long(atom.uriList), 0, 0);
    }
    // As file managers offer a file: more types than the message holds, the
    // URI list last, all of them in XdndTypeList on the source window.
    void enterOfferingManyTypes() {
        answers = Answers{};
        const Atom types[4] = {XInternAtom(dpy, "UTF8_STRING", False), XInternAtom(dpy, "text/plain", False),
                               XInternAtom(dpy, "x-special/gnome-copied-files", False), atom.uriList};
        XChangeProperty(dpy, source, atom.typeList, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(types), 4);
        send(atom.enter, (kXdndVersion << 24) | 1, long(types[0]), long(types[1]), long(types[2]));
    }
    void position(int rootX, int rootY) {
        answers.status = false;
        send(atom.position, 0, (long(rootX) << 16) | long(rootY), CurrentTime, long(atom.copy));
    }
    void drop() { send(atom.drop, 0, CurrentTime, 0, 0); }
    void leave() { send(atom.leave, 0, 0, 0, 0); }
    // The source will not hand the data over when asked.
    void refuseData() { refuses = true; }
    Atom copyAction() const { return atom.copy; }
    Atom uriListType() const { return atom.uriList; }

    // The host's event loop for the source window.
    void service() {
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == SelectionRequest && event.xselectionrequest.owner == source) {
                answerRequest(event.xselectionrequest);
            } else if (event.type == ClientMessage && event.xclient.window == source &&
                       Window(event.xclient.data.l[0]) == target) {
                const XClientMessageEvent& message = event.xclient;
                if (message.message_type == atom.status) {
                    answers.status = true;
                    answers.accepted = (message.data.l[1] & 1) != 0;
                    answers.statusAction = message.data.l[4];
                } else if (message.message_type == atom.finished) {
                    answers.finished = true;
                    answers.succeeded = (message.data.l[1] & 1) != 0;
                    answers.finishedAction = message.data.l[2];
                }
            }
        }
    }

private:
    void send(Atom type, long l1, long l2, long l3, long l4) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = dpy;
        event.xclient.window = target;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(source);
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(dpy, target, False, NoEventMask, &event);
        XSync(dpy, False);
    }

    void answerRequest(const XSelectionRequestEvent& request) {
        ++answers.requests;
        answers.requestedType = request.target;
        XEvent notify{};
        notify.xselection.type = SelectionNotify;
        notify.xselection.display = dpy;
        notify.xselection.requestor = request.requestor;
        notify.xselection.selection = request.selection;
        notify.xselection.target = request.target;
        notify.xselection.time = request.time;
        notify.xselection.property = None;  // refused, unless it is a type we have
        if (!refuses && request.target == atom.uriList && request.property != None) {
            XChangeProperty(dpy, request.requestor, request.property, atom.uriList, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uriList.data()), int(uriList.size()));
            notify.xselection.property = request.property;
        }
        XSendEvent(dpy, request.requestor, False, NoEventMask, &notify);
        XSync(dpy, False);
    }

    Display* dpy;
    Window target;
    std::string uriList;
    bool refuses = false;
    Window source = 0;
    struct {
        Atom enter, position, status, leave, drop, finished, selection, copy, uriList, typeList;
    } atom{};
};

}  // namespace x11test
