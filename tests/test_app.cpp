// Application frame: the frame loop's dispatch, the window's start-up and
// ownership, the failure box, and the program's exit behaviour.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/AppWindow.h"
#include "app/ErrorBox.h"
#include "app/ErrorMsg.h"
#include "support/Events.h"
#include "support/RecordingScene.h"
#include "support/TestSurfaces.h"

using namespace testsupport;

namespace {

// A real window on SDL's dummy video driver, its queue emptied, running a
// recording scene.
class FrameLoop : public testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<AppWindow>("Frame test", 32, 24, 0, false);
        auto owned = std::make_unique<RecordingScene>();
        scene = owned.get();
        calls = scene->calls;
        window->scene = std::move(owned);
        drainEvents();
    }

    // Every byte of the display's visible rows.
    bool displayIsBlack() const {
        const SDL_Surface* s = window->screen;
        const auto* p = static_cast<const uint8_t*>(s->pixels);
        for (int y = 0; y < s->h; ++y)
            for (int i = 0; i < s->w * s->format->BytesPerPixel; ++i)
                if (p[y * s->pitch + i] != 0) return false;
        return true;
    }

    ScopedEnv driver{"SDL_VIDEODRIVER", "dummy"};  // read when SDL starts, in SetUp
    std::unique_ptr<AppWindow> window;
    RecordingScene* scene = nullptr;
    std::shared_ptr<CallLog> calls;
};

}  // namespace

TEST_F(FrameLoop, DispatchesEveryEventThroughOnEventFirstInQueueOrder) {
    pushKey(SDL_KEYDOWN, SDLK_UP);
    pushKey(SDL_KEYUP, SDLK_DOWN);
    pushMotion(300, 65535);  // unsigned fields widen without turning negative
    pushButton(SDL_MOUSEBUTTONDOWN, 65000, 7, 200);
    pushButton(SDL_MOUSEBUTTONUP, 1, 2, 1);
    pushType(SDL_ACTIVEEVENT);
    pushType(SDL_VIDEOEXPOSE);
    pushQuit();
    window->run();

    EXPECT_EQ(*calls, (CallLog{"update",
                               "onEvent(2)", "onKeyDown(273)",
                               "onEvent(3)", "onKeyUp(274)",
                               "onEvent(4)", "onMouseMove(300,65535)",
                               "onEvent(5)", "onMouseButton(65000,7,200)",
                               "onEvent(6)",
                               "onEvent(1)",
                               "onEvent(17)",
                               "onEvent(12)"}));
}

TEST_F(FrameLoop, MouseFieldsFollowMotionAndPressesButNotReleases) {
    pushMotion(10, 20);
    pushQuit();
    window->run();
    EXPECT_EQ(window->mouseX, 10);
    EXPECT_EQ(window->mouseY, 20);
    EXPECT_EQ(window->mouseButton, 0);

    pushButton(SDL_MOUSEBUTTONDOWN, 30, 40, 3);
    pushQuit();
    window->run();
    EXPECT_EQ(window->mouseX, 30);
    EXPECT_EQ(window->mouseY, 40);
    EXPECT_EQ(window->mouseButton, 3);

    pushMotion(50, 60);
    pushButton(SDL_MOUSEBUTTONUP, 70, 80, 1);
    pushQuit();
    window->run();
    EXPECT_EQ(window->mouseX, 50);
    EXPECT_EQ(window->mouseY, 60);
    EXPECT_EQ(window->mouseButton, 3);
}

TEST_F(FrameLoop, QuitEndsTheLoopOnlyAfterTheRestOfItsPass) {
    scene->onUpdate = [](RecordingScene& s) {
        if (s.updates == 3) {
            pushQuit();
            pushKey(SDL_KEYDOWN, SDLK_a);
        }
    };
    window->run();

    EXPECT_EQ(scene->updates, 3);
    EXPECT_EQ(*calls, (CallLog{"update", "update", "update", "onEvent(12)", "onEvent(2)",
                               "onKeyDown(97)"}));
    EXPECT_FALSE(window->running);
}

TEST_F(FrameLoop, RewritingTheEventInOnEventChangesTheDispatch) {
    scene->onEventHook = [](RecordingScene&, SDL_Event* e) {
        if (e->type == SDL_MOUSEBUTTONUP) e->type = SDL_MOUSEBUTTONDOWN;
        else if (e->type == SDL_KEYUP) e->type = SDL_QUIT;
    };
    pushButton(SDL_MOUSEBUTTONUP, 5, 6, 2);
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    window->run();  // returns: the key release became a quit

    EXPECT_EQ(*calls, (CallLog{"update", "onEvent(6)", "onMouseButton(5,6,2)", "onEvent(3)"}));
    EXPECT_EQ(window->mouseButton, 2);
}

TEST_F(FrameLoop, SceneKnowsItsOwnerFromTheFirstUpdate) {
    pushQuit();
    window->run();
    EXPECT_EQ(scene->ownerAtFirstUpdate, window.get());
}

TEST_F(FrameLoop, EveryPassStartsFromABlackDisplay) {
    SDL_FillRect(window->screen, nullptr, 0xFFFFFFFFu);
    std::vector<bool> blackAtUpdate;
    scene->onUpdate = [&](RecordingScene& s) {
        blackAtUpdate.push_back(displayIsBlack());
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) s.owner->putPixel(x, y, 0x00FFFFFFu);
        if (s.updates == 2) pushQuit();
    };
    window->run();
    EXPECT_EQ(blackAtUpdate, (std::vector<bool>{true, true}));
}

TEST_F(FrameLoop, ASceneThatOverridesNothingOnlyClearsAndPresents) {
    window->scene = std::make_unique<Scene>();
    SDL_FillRect(window->screen, nullptr, 0x00808080u);
    pushKey(SDL_KEYDOWN, SDLK_UP);
    pushButton(SDL_MOUSEBUTTONDOWN, 1, 1, 1);
    pushQuit();
    window->run();
    EXPECT_TRUE(displayIsBlack());
}

TEST_F(FrameLoop, WindowDeletesItsSceneWhenDestroyed) {
    pushQuit();
    window->run();
    EXPECT_NE(calls->back(), "~Scene");
    window.reset();
    EXPECT_EQ(calls->back(), "~Scene");
}

// A host other than the window's: its events, not SDL's queue, reach the
// scene, after the update and before the frame is presented.
TEST_F(FrameLoop, APassTakesItsEventsFromItsHostAndPresentsThroughIt) {
    class ScriptHost final : public FrameHost {
    public:
        explicit ScriptHost(std::shared_ptr<CallLog> log) : log(std::move(log)) {}
        std::vector<SDL_Event> events;
        bool nextEvent(SDL_Event& event) override {
            if (events.empty()) return false;
            event = events.front();
            events.erase(events.begin());
            return true;
        }
        void present(SDL_Surface* display, int32_t width, int32_t height) override {
            log->push_back("present(" + std::to_string(display->w) + "," + std::to_string(width) +
                           "," + std::to_string(height) + ")");
        }

    private:
        std::shared_ptr<CallLog> log;
    } host(calls);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_DOWN;
    host.events = {key, key};
    pushKey(SDL_KEYDOWN, SDLK_UP);  // left in SDL's queue

    window->begin();
    window->pass(host);
    window->pass(host);
    EXPECT_EQ(*calls, (CallLog{"update", "onEvent(2)", "onKeyDown(274)", "onEvent(2)",
                               "onKeyDown(274)", "present(32,32,24)", "update", "present(32,32,24)"}));
    EXPECT_EQ(scene->ownerAtFirstUpdate, window.get());
}

TEST_F(FrameLoop, WindowOpensTheRequestedSizeAndCaption) {
    EXPECT_EQ(window->width, 32);
    EXPECT_EQ(window->height, 24);
    ASSERT_NE(window->screen, nullptr);
    EXPECT_EQ(window->screen, SDL_GetVideoSurface());
    EXPECT_EQ(window->screen->w, 32);
    EXPECT_EQ(window->screen->h, 24);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "Frame test");
    EXPECT_STREQ(icon, "Frame test");
}

// ---- start-up failures ------------------------------------------------------

namespace {

std::string initFailure(const char* videoDriver, int32_t bitsPerPixel) {
    SDL_Quit();  // so that SDL_Init really starts the driver named here
    ScopedEnv driver("SDL_VIDEODRIVER", videoDriver);
    std::string message = "(no ErrorMsg)";
    try {
        AppWindow window("Failing", 32, 24, bitsPerPixel, false);
    } catch (const ErrorMsg& error) {
        message = error.message;
    }
    SDL_Quit();
    return message;
}

}  // namespace

TEST(WindowStartUp, FailuresReachTheCallerWithTheirTexts) {
    EXPECT_EQ(initFailure("nonexistent", 0), "Error Couldnt Initalize SDL!\n");
    EXPECT_EQ(initFailure("dummy", 64), "Couldnt Set Display Mode!\n");
    EXPECT_EQ(initFailure("dummy", 0), "(no ErrorMsg)");
}

// ---- the failure box --------------------------------------------------------

namespace {

// One output of this process (standard output or error), redirected to a
// file for the object's life.
class OutputCapture {
public:
    OutputCapture(const TempDir& dir, int fd)
        : fd(fd), fileName(dir.file("output-" + std::to_string(fd) + ".txt")) {
        std::fflush(nullptr);
        saved = dup(fd);
        const int file = open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(file, fd);
        close(file);
    }
    ~OutputCapture() { restore(); }
    std::string text() {
        restore();
        std::ifstream in(fileName, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    void restore() {
        if (saved < 0) return;
        std::fflush(nullptr);
        dup2(saved, fd);
        close(saved);
        saved = -1;
    }
    int fd;
    std::string fileName;
    int saved = -1;
};

// A folder of stand-in dialog programs, each recording its name and arguments
// (NUL-separated) in a log, after a pause that shows whether it was waited for.
// Like a real dialog, each also talks on its standard output and error. The
// programs live under the build folder: the temporary folder may be mounted
// without the right to run programs.
class FakeDialogs {
public:
    explicit FakeDialogs(const TempDir& dir)
        : programs(FRACTALS_TEST_BUILD_DIR), bin(programs.path().string()),
          log(dir.file("dialog.log")), path("PATH", bin.c_str()),
          logVar("DIALOG_LOG", log.c_str()) {}
    void install(const std::string& name) {
        const std::string file = bin + "/" + name;
        std::ofstream(file) << "#!/bin/sh\necho " << name << " says hello\necho " << name
                            << ": Warning: Missing charsets >&2\n/bin/sleep 0.2\n"
                            << "printf '%s\\0' " << name << " \"$@\" > \"$DIALOG_LOG\"\n";
        chmod(file.c_str(), 0700);
    }
    bool ran() const { return access(log.c_str(), F_OK) == 0; }
    std::vector<std::string> argv() const {
        std::ifstream in(log, std::ios::binary);
        std::vector<std::string> args;
        std::string arg;
        while (std::getline(in, arg, '\0')) args.push_back(arg);
        return args;
    }

private:
    TempDir programs;
    std::string bin, log;
    ScopedEnv path, logVar;
};

using Args = std::vector<std::string>;

}  // namespace

TEST(FailureBox, WithoutADisplayOnlyStandardErrorCarriesTheText) {
    TempDir dir;
    FakeDialogs dialogs(dir);
    dialogs.install("xmessage");
    ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
    OutputCapture err(dir, STDERR_FILENO);
    showError("Couldnt load Bitmap");
    EXPECT_EQ(err.text(), "Unhandled Exception: Couldnt load Bitmap\n");
    EXPECT_FALSE(dialogs.ran());
}

TEST(FailureBox, WithADisplayTheFirstInstalledDialogIsShownAndWaitedFor) {
    const std::string text = "Unhandled Exception: Error Couldnt Initalize SDL!\n\n";
    const struct { std::vector<std::string> installed; Args expected; } cases[] = {
        {{"xmessage"}, {"xmessage", "-title", "Unhandled Exception", "-center", text}},
        {{"kdialog", "xmessage"}, {"kdialog", "--title", "Unhandled Exception", "--error", text}},
        {{"zenity", "kdialog", "xmessage"},
         {"zenity", "--error", "--no-markup", "--title", "Unhandled Exception", "--text", text}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        FakeDialogs dialogs(dir);
        for (const std::string& name : c.installed) dialogs.install(name);
        ScopedEnv display("DISPLAY", ":99"), wayland("WAYLAND_DISPLAY", nullptr);
        OutputCapture err(dir, STDERR_FILENO);
        OutputCapture out(dir, STDOUT_FILENO);
        showError("Error Couldnt Initalize SDL!\n");
        EXPECT_EQ(out.text(), "");  // the dialog's own output is not the program's
        EXPECT_EQ(err.text(), text);
        EXPECT_EQ(dialogs.argv(), c.expected);  // present on return: the dialog was waited for
    }
}

TEST(FailureBox, AWaylandSessionAlsoGetsTheDialog) {
    TempDir dir;
    FakeDialogs dialogs(dir);
    dialogs.install("xmessage");
    ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", "wayland-0");
    OutputCapture err(dir, STDERR_FILENO);
    showError("Unknown BitDepth");
    err.text();
    EXPECT_TRUE(dialogs.ran());
}

TEST(FailureBox, TheMessageReachesTheDialogVerbatimWithNoShell) {
    TempDir dir;
    FakeDialogs dialogs(dir);
    dialogs.install("xmessage");
    const std::string marker = dir.file("shell-ran");
    const std::string message = "$(touch " + marker + "); `touch " + marker + "` 'q' \"d\" *";
    ScopedEnv display("DISPLAY", ":99"), wayland("WAYLAND_DISPLAY", nullptr);
    OutputCapture err(dir, STDERR_FILENO);
    showError(message);
    err.text();
    const Args args = dialogs.argv();
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args.back(), "Unhandled Exception: " + message + "\n");
    EXPECT_NE(access(marker.c_str(), F_OK), 0);
}

TEST(FailureBox, NoDialogProgramInstalledStillReportsAndReturns) {
    TempDir dir;
    FakeDialogs dialogs(dir);  // an empty PATH folder
    ScopedEnv display("DISPLAY", ":99");
    OutputCapture err(dir, STDERR_FILENO);
    showError("Couldnt Load Bitmap");
    EXPECT_EQ(err.text(), "Unhandled Exception: Couldnt Load Bitmap\n");
}

// ---- the program ------------------------------------------------------------

namespace {

struct Outcome {
    bool exited = false;  // false: killed by a signal or timed out
    int status = -1;
    std::string err;
};

// Runs the built program in a folder with exactly the given environment (no
// DISPLAY unless given), collecting its standard error. `whileRunning` gets
// the pid once the program has started.
Outcome runProgram(const std::string& folder, const std::vector<std::string>& env,
                   const std::function<void(pid_t)>& whileRunning = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        close(pipeFds[0]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::vector<char*> envp;
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(FRACTALS_BINARY), nullptr};
        execve(FRACTALS_BINARY, argv, envp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (whileRunning) whileRunning(pid);

    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buffer[256];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            outcome.err.append(buffer, static_cast<size_t>(n));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exited = WIFEXITED(status);
    if (outcome.exited) outcome.status = WEXITSTATUS(status);
    return outcome;
}

// True once the process has its own SIGTERM handler (SDL's quit handler).
bool catchesSigterm(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (SIGTERM - 1)) & 1;
        }
    }
    return false;
}

const std::vector<std::string> kDummyVideo = {"SDL_VIDEODRIVER=dummy", "PATH=/usr/bin:/bin"};

}  // namespace

TEST(Program, MissingBitmapsEndInTheBoxAndStatus1) {
    TempDir empty;
    const Outcome outcome = runProgram(empty.path(), kDummyVideo);
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Unhandled Exception: Couldnt load Bitmap\n");
}

TEST(Program, SdlThatCannotStartEndsInTheBoxAndStatus1) {
    TempDir empty;
    const Outcome outcome =
        runProgram(empty.path(), {"SDL_VIDEODRIVER=nonexistent", "PATH=/usr/bin:/bin"});
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Unhandled Exception: Error Couldnt Initalize SDL!\n\n");
}

// SDL turns SIGTERM into SDL_QUIT, the event a closed window sends.
TEST(Program, ClosingTheWindowEndsWithStatus0AndNoBox) {
    TempDir dir;
    for (const char* name : {"lsd.bmp", "logo.bmp", "lsd2.bmp", "logo2.bmp"})
        writePatternBmp(dir, name, 320, 240, name[0]);
    const Outcome outcome = runProgram(dir.path(), kDummyVideo, [](pid_t pid) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!catchesSigterm(pid) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(pid, SIGTERM);
    });
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
}
