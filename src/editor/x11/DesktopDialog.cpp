#include "editor/x11/DesktopDialog.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace {

struct Dialog {
    const char* title;
    const char* zenityFilter;
    const char* kdialogFilter;
    bool save;
};

Dialog dialogOf(FileRequest request) {
    switch (request) {
        case FileRequest::SampleForPad: return {"Open WAV file", "WAV(*.wav) | *.wav", "*.wav|WAV(*.wav)", false};
        case FileRequest::SavePatch:
            return {"Save Patch file", "Patch file(*.bin) | *.bin", "*.bin|Patch file(*.bin)", true};
        default: return {"Load Patch file", "Patch file(*.bin) | *.bin", "*.bin|Patch file(*.bin)", false};
    }
}

std::string trimmedLine(const std::string& text) {
    const size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

bool DesktopDialog::spawn(const char* const* arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    pid_t child = -1;
    const int failed = posix_spawnp(&child, arguments[0], &actions, nullptr,
                                    const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    pid = child;
    output = pipeEnds[0];
    answer.clear();
    exitedWell = false;
    return true;
}

bool DesktopDialog::start(FileRequest request, const std::string& folder) {
    if (running()) return true;
    asked = request;
    const Dialog dialog = dialogOf(request);
    const std::string title = std::string("--title=") + dialog.title;
    const std::string filter = std::string("--file-filter=") + dialog.zenityFilter;
    const std::string filename = "--filename=" + folder + "/";
    std::vector<const char*> zenity = {"zenity", "--file-selection", title.c_str(), filter.c_str(),
                                       filename.c_str()};
    if (dialog.save) zenity.push_back("--save");
    zenity.push_back(nullptr);
    if (spawn(zenity.data())) return true;
    const std::string start = folder + "/";
    const char* kdialog[] = {"kdialog", "--title", dialog.title,
                             dialog.save ? "--getsavefilename" : "--getopenfilename", start.c_str(),
                             dialog.kdialogFilter, nullptr};
    return spawn(kdialog);
}

void DesktopDialog::reap(bool wait) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, wait ? 0 : WNOHANG);
    if (done == 0) return;  // still running
    // A host that reaps every child itself leaves us ECHILD: the output decides.
    exitedWell = done < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    pid = -1;
}

DesktopDialog::Outcome DesktopDialog::poll(std::string& path) {
    if (pid <= 0 && output < 0) return Outcome::Cancelled;
    char buffer[4096];
    while (output >= 0) {
        const ssize_t got = read(output, buffer, sizeof buffer);
        if (got > 0) {
            answer.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        close(output);  // the dialog closed its output: it is ending
        output = -1;
    }
    if (pid > 0) reap(false);
    if (pid > 0 || output >= 0) return Outcome::Running;
    path = trimmedLine(answer);
    if (!exitedWell || path.empty()) return Outcome::Cancelled;
    return Outcome::Chosen;
}

void DesktopDialog::cancel() {
    if (output >= 0) close(output);
    output = -1;
    if (pid > 0) {
        kill(pid, SIGTERM);
        reap(true);
    }
    pid = -1;
}
