// The desktop's own file dialog, run as a process of its own (zenity, or
// kdialog where zenity is missing), so that the host's user-interface thread
// never waits for the user: the answer is picked up at idle.
#pragma once

#include <sys/types.h>

#include <string>

#include "editor/EditorWindow.h"

class DesktopDialog {
public:
    DesktopDialog() = default;
    ~DesktopDialog() { cancel(); }
    DesktopDialog(const DesktopDialog&) = delete;
    DesktopDialog& operator=(const DesktopDialog&) = delete;

    // Starts the dialog for the request in folder; false when neither program
    // could be started (then nothing runs).
    bool start(FileRequest request, const std::string& folder);
    bool running() const { return pid > 0; }
    FileRequest request() const { return asked; }

    enum class Outcome { Running, Chosen, Cancelled };
    // Looks without waiting; once the dialog has ended, Chosen with the path,
    // or Cancelled.
    Outcome poll(std::string& path);
    // Ends a dialog still showing, as when the editor closes.
    void cancel();

private:
    bool spawn(const char* const* arguments);
    void reap(bool wait);

    pid_t pid = -1;
    int output = -1;  // the dialog's standard output
    std::string answer;
    FileRequest asked = FileRequest::SampleForPad;
    bool exitedWell = false;
};
