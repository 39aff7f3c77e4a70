#include "editor/x11/XdndTarget.h"

#include <X11/Xatom.h>

#include <utility>

#include "editor/x11/UriList.h"

namespace {
constexpr long kVersion = 5;
}  // namespace

XdndTarget::XdndTarget(Display* display, Window window, Accepts accepts, Dropped dropped)
    : display(display), window(window), accepts(std::move(accepts)), dropped(std::move(dropped)) {
    atom.aware = XInternAtom(display, "XdndAware", False);
    atom.enter = XInternAtom(display, "XdndEnter", False);
    atom.position = XInternAtom(display, "XdndPosition", False);
    atom.status = XInternAtom(display, "XdndStatus", False);
    atom.leave = XInternAtom(display, "XdndLeave", False);
    atom.drop = XInternAtom(display, "XdndDrop", False);
    atom.finished = XInternAtom(display, "XdndFinished", False);
    atom.selection = XInternAtom(display, "XdndSelection", False);
    atom.actionCopy = XInternAtom(display, "XdndActionCopy", False);
    atom.typeList = XInternAtom(display, "XdndTypeList", False);
    atom.uriList = XInternAtom(display, "text/uri-list", False);
    atom.property = XInternAtom(display, "ZEL001_DROP", False);
    const long version = kVersion;
    XChangeProperty(display, window, atom.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

bool XdndTarget::handle(const XEvent& event) {
    if (event.type == SelectionNotify) {
        if (event.xselection.selection != atom.selection) return false;
        received(event.xselection);
        return true;
    }
    if (event.type != ClientMessage) return false;
    const XClientMessageEvent& message = event.xclient;
    if (message.message_type == atom.enter) {
        entered(message);
    } else if (message.message_type == atom.position) {
        moved(message);
    } else if (message.message_type == atom.leave) {
        source = 0;
        accepted = false;
    } else if (message.message_type == atom.drop) {
        droppedHere(message);
    } else {
        return false;
    }
    return true;
}

// The first three offered types come in the message; a source offering more
// lists them all in a property of its window.
bool XdndTarget::sourceOffersUriList(const XClientMessageEvent& message) const {
    for (int i = 2; i < 5; ++i)
        if (static_cast<Atom>(message.data.l[i]) == atom.uriList) return true;
    if ((message.data.l[1] & 1) == 0) return false;
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, source, atom.typeList, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        format == 32 && data != nullptr) {
        const Atom* types = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) found = found || types[i] == atom.uriList;
    }
    if (data != nullptr) XFree(data);
    return found;
}

void XdndTarget::entered(const XClientMessageEvent& message) {
    source = static_cast<Window>(message.data.l[0]);
    offersUriList = sourceOffersUriList(message);
    accepted = false;
}

void XdndTarget::moved(const XClientMessageEvent& message) {
    source = static_cast<Window>(message.data.l[0]);
    const int rootX = static_cast<int>((message.data.l[2] >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(message.data.l[2] & 0xFFFF);
    Window child;
    XTranslateCoordinates(display, DefaultRootWindow(display), window, rootX, rootY, &x, &y, &child);
    accepted = offersUriList && accepts(x, y);
    reply(atom.status, (accepted ? 1 : 0) | 2, accepted ? static_cast<long>(atom.actionCopy) : 0);
}

void XdndTarget::droppedHere(const XClientMessageEvent& message) {
    source = static_cast<Window>(message.data.l[0]);
    if (!accepted) {
        reply(atom.finished, 0, 0);
        return;
    }
    XConvertSelection(display, atom.selection, atom.uriList, atom.property, window,
                      static_cast<Time>(message.data.l[2]));
}

void XdndTarget::received(const XSelectionEvent& selection) {
    std::string list;
    if (selection.property != None) {
        Atom type;
        int format;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, selection.property, 0, 65536, True, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            format == 8 && data != nullptr)
            list.assign(reinterpret_cast<const char*>(data), count);
        if (data != nullptr) XFree(data);
    }
    const std::string path = firstFilePath(list);
    if (source != 0) reply(atom.finished, path.empty() ? 0 : 1, path.empty() ? 0 : static_cast<long>(atom.actionCopy));
    if (!path.empty()) dropped(x, y, path);
    source = 0;
    accepted = false;
}

void XdndTarget::reply(Atom type, long l1, long l2) {
    if (source == 0) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = source;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window);
    event.xclient.data.l[1] = l1;
    // XdndStatus: an empty rectangle asks for every move; XdndFinished: the action.
    if (type == atom.status) {
        event.xclient.data.l[4] = l2;
    } else {
        event.xclient.data.l[2] = l2;
    }
    XSendEvent(display, source, False, NoEventMask, &event);
}
