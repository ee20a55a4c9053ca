#include "app/ErrorBox.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

void showError(const std::string& message) {
    const std::string text = "Unhandled Exception: " + message + "\n";
    std::fputs(text.c_str(), stderr);
    MessageBoxA(GetForegroundWindow(), text.c_str(), "Unhandled Exception", MB_ICONERROR);
}

#elif defined(__EMSCRIPTEN__)
#include <emscripten.h>

// In a web page: the page's own box (web/page.js), and the browser's console.
EM_JS(void, showErrorOnPage, (const char* text), {
    const message = UTF8ToString(text);
    console.error(message);
    if (Module["showFailure"]) Module["showFailure"]("Unhandled Exception", message);
});

void showError(const std::string& message) {
    showErrorOnPage(("Unhandled Exception: " + message + "\n").c_str());
}

#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

const char* const kCaption = "Unhandled Exception";

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// The dialog's argument vector for the first dialog program installed, or an
// empty one when there is none. The text goes in as one argument: no shell.
std::vector<std::string> dialogCommand(const std::string& text) {
    if (onPath("zenity"))
        return {"zenity", "--error", "--no-markup", "--title", kCaption, "--text", text};
    if (onPath("kdialog")) return {"kdialog", "--title", kCaption, "--error", text};
    if (onPath("xmessage")) return {"xmessage", "-title", kCaption, "-center", text};
    return {};
}

// The dialog's standard output and error lead to /dev/null: what a dialog
// program says about itself (a missing font, a locale Xlib lacks) is not the
// failure, and the program's standard error carries exactly the failure.
class QuietOutputs {
public:
    QuietOutputs() {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    ~QuietOutputs() { posix_spawn_file_actions_destroy(&actions); }
    QuietOutputs(const QuietOutputs&) = delete;
    QuietOutputs& operator=(const QuietOutputs&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions; }

private:
    posix_spawn_file_actions_t actions;
};

void runAndWait(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const QuietOutputs outputs;
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], outputs.get(), nullptr, argv.data(), environ) != 0) return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void showError(const std::string& message) {
    const std::string text = "Unhandled Exception: " + message + "\n";
    // Standard error always carries the text, so a failure is never silent
    // even where no dialog can be shown.
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);

    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) return;
    const std::vector<std::string> command = dialogCommand(text);
    if (!command.empty()) runAndWait(command);
}
#endif
