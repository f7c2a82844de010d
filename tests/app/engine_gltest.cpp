// The viewer's window for real, under the test's own X server: the program from start to a
// close request or SIGTERM, and the engine's run with devices that fail or end the loop.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/engine.h"
#include "core/input_listener.h"
#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "render/render_device.h"
#include "tests/support/child_process.h"
#include "tests/support/hostile_guis.h"
#include "tests/support/recording_device.h"
#include "tests/support/recording_log.h"
#include "tests/support/test_paths.h"
#include "tests/support/user_input.h"
#include "tests/support/x11_window.h"

using namespace Tamrik;
using kestrova_test::ReadFile;
using kestrova_test::RecordingLog;
using kestrova_test::WriteFile;
namespace fs = std::filesystem;

namespace {

const char START_LINES[] = ".:: CEngine::Run() started ::.\r\nmain_thread: Creating main window...\r\n";
const char END_LINES[] =
    "main_thread: Destroying main window...\r\n.:: CEngine::Run() finished ::.\r\n\r\n\r\n";

const char WINDOWED_800X600[] =
    "[Display]\r\nWidth = \"800\"\r\nHeight = \"600\"\r\nDepth = \"32\"\r\nRefreshRate = \"60\"\r\n"
    "Fullscreen = \"false\"\r\nRenderer = \"OpenGL\"\r\n[Game]\r\nLog = \"true\"\r\n";

// A working directory that sees every runtime file of the build but has its own settings and
// its own log.
class RunDirCopy {
public:
    // With guiXml, "gui/gui.xml" is that text (the GUI's textures stay the build's).
    explicit RunDirCopy(const std::string& settings, const std::string* guiXml = nullptr)
    {
        for (const auto& entry : fs::directory_iterator(kestrova_test::RunDir())) {
            std::string name = entry.path().filename().string();
            if (name == "gui" && guiXml) {
                fs::create_directory(scratch.Path() / name);
                fs::create_symlink(entry.path() / "textures", scratch.Path() / name / "textures");
                WriteFile(scratch.Path() / name / "gui.xml", *guiXml);
            } else if (name != "Settings.ini" && name != "log.txt") {
                fs::create_symlink(entry.path(), scratch.Path() / name);
            }
        }
        WriteFile(scratch.Path() / "Settings.ini", settings);
    }
    fs::path Path() const { return scratch.Path(); }

private:
    kestrova_test::ScratchDir scratch;
};

bool AllLineEndsAreCrLf(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return true;
}

void ExpectCompleteRunLog(const std::string& log)
{
    EXPECT_EQ(log.rfind(START_LINES, 0), 0u) << log;
    ASSERT_GE(log.size(), sizeof(END_LINES) - 1) << log;
    EXPECT_EQ(log.substr(log.size() - (sizeof(END_LINES) - 1)), END_LINES) << log;
    EXPECT_EQ(log.find("Failed"), std::string::npos) << log;
    EXPECT_TRUE(AllLineEndsAreCrLf(log)) << log;
}

// Starts the viewer in dir and waits for its window.
void StartViewer(kestrova_test::ChildProcess& program, const RunDirCopy& dir, kestrova_test::WindowGeometry* geometry,
                 const std::string& stderrPath = "")
{
    ASSERT_TRUE(program.Start((kestrova_test::RunDir() / "Kestrova").string(), dir.Path().string(),
                              {"KESTROVA_NO_MESSAGE_BOX=1"}, stderrPath));
    ASSERT_TRUE(kestrova_test::WaitForWindow("Tamrik", 30000, geometry));
}

TEST(Program, OpensAnExactClientAreaAndEndsCleanlyOnACloseRequest)
{
    RunDirCopy dir(WINDOWED_800X600);
    kestrova_test::ChildProcess program;
    kestrova_test::WindowGeometry geometry;
    ASSERT_NO_FATAL_FAILURE(StartViewer(program, dir, &geometry));
    EXPECT_EQ(geometry.width, 800);
    EXPECT_EQ(geometry.height, 600);
    EXPECT_EQ(geometry.x, 0);
    EXPECT_EQ(geometry.y, 0);

    ASSERT_TRUE(kestrova_test::SendCloseRequest("Tamrik"));
    EXPECT_EQ(program.Wait(30000), 0);
    ExpectCompleteRunLog(ReadFile(dir.Path() / "log.txt"));
}

TEST(Program, EndsCleanlyOnSigterm)
{
    RunDirCopy dir(WINDOWED_800X600);
    kestrova_test::ChildProcess program;
    kestrova_test::WindowGeometry geometry;
    ASSERT_NO_FATAL_FAILURE(StartViewer(program, dir, &geometry));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(30000), 0);
    ExpectCompleteRunLog(ReadFile(dir.Path() / "log.txt"));
}

TEST(Program, WithoutSettingsSaysSoOnStandardErrorAndEndsCleanlyOnACloseRequest)
{
    RunDirCopy dir(WINDOWED_800X600);
    fs::remove(dir.Path() / "Settings.ini");
    kestrova_test::ChildProcess program;
    kestrova_test::WindowGeometry geometry;
    ASSERT_NO_FATAL_FAILURE(StartViewer(program, dir, &geometry, (dir.Path() / "stderr.txt").string()));
    // Every setting reads empty, also the size.
    EXPECT_EQ(geometry.width, 1);
    EXPECT_EQ(geometry.height, 1);
    ASSERT_TRUE(kestrova_test::SendCloseRequest("Tamrik"));
    EXPECT_EQ(program.Wait(30000), 0);
    EXPECT_EQ(ReadFile(dir.Path() / "stderr.txt"),
              "Cannot read \"Settings.ini\" in " + dir.Path().string() + ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir.Path() / "log.txt"));
}

#ifdef __SANITIZE_ADDRESS__
constexpr int SANITIZER_SLOWDOWN = 20;
#else
constexpr int SANITIZER_SLOWDOWN = 1;
#endif

TEST(Program, EndsWithinASecondOfACloseRequestOrSigtermWhileAHostileHandlerRuns)
{
    using namespace kestrova_test;
    using Clock = std::chrono::steady_clock;
    struct Case {
        const char* name;
        std::string xml;
        // A costly build, signalled as soon as the window shows (the build comes after it), or a
        // costly event, signalled once the log shows the handler's work.
        bool build;
        std::vector<bool> closeBox; // the close box, SIGTERM, or both
    };
    const Case cases[] = {
        // On every pass the label under the cursor sets its text to 61 KB without end.
        {"a SetText loop on every move", HostileLabel(Event("OnMouseMove", SetLongTexts())), false, {true, false}},
        // Unbounded: 13 s and more; bounded, the build stops at its units.
        {"nested shown dialogs", NestedShownDialogs(20000), true, {true, false}},
        // Unbounded: 40 s; SIGTERM stops the machine's instructions as they run. The close box
        // would only wait for the bound, as with the dialogs, some 30 s under the sanitizers.
        {"nested costly focus handlers", NestedCostlyFocusHandlers(400), true, {false}},
    };
    // The bound answers within a quarter of a second and a second; the margins leave room for a
    // machine loaded by another test run, and an unbounded program misses them by far.
    const auto eventMargin = std::chrono::milliseconds(3000);
    // The close box waits for the bounded build to end: 2 s at most on a quiet machine; the
    // sanitizers' build runs instructions some thirty times slower.
    const auto buildCloseMargin = std::chrono::milliseconds(6000) * SANITIZER_SLOWDOWN;
    const std::string boundLine = "Warning: work of the GUI build stopped";
    for (const Case& c : cases) {
        for (bool closeBox : c.closeBox) {
            SCOPED_TRACE(std::string(c.name) + (closeBox ? ", close box" : ", SIGTERM"));
            RunDirCopy dir(WINDOWED_800X600, &c.xml);
            ChildProcess program;
            WindowGeometry geometry;
            ASSERT_NO_FATAL_FAILURE(StartViewer(program, dir, &geometry));
            if (!c.build)
                WaitUntil([&] { return ReadFile(dir.Path() / "log.txt").find("ncall") != std::string::npos; }, 30000);
            const Clock::time_point asked = Clock::now();
            if (closeBox)
                ASSERT_TRUE(SendCloseRequest("Tamrik"));
            else
                program.Signal(SIGTERM);
            // The window goes within the margin; the process then ends as usual.
            const auto margin = c.build && closeBox ? buildCloseMargin : eventMargin;
            WaitUntil([] { return !WindowExists("Tamrik"); }, static_cast<int>(margin.count()) + 10000);
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked);
            EXPECT_LT(took, margin) << took.count() << " ms";
            EXPECT_EQ(program.Wait(30000), 0);
            // The close box waited for the build, which was costly enough to reach its bound.
            if (c.build && closeBox) {
                EXPECT_NE(ReadFile(dir.Path() / "log.txt").find(boundLine), std::string::npos);
            }
        }
    }
}

RecordingLog* InstallRecordingLog(CSystem* system)
{
    RecordingLog* log = new RecordingLog(system);
    delete system->log;
    system->log = log;
    return log;
}

TEST(MainWindow, AFullScreenModeTheDisplayLacksIsRefusedWithoutAWindow)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Display]\nDepth = \"32\"\nRefreshRate = \"60\"\n"
                              "Fullscreen = \"true\"\n");
    CWin32System system;
    RecordingLog* log = InstallRecordingLog(&system);
    EXPECT_FALSE(system.mainWindow->Create(1234, 567));
    EXPECT_EQ(log->messages, (std::vector<std::string>{"Error|Unable to set requested video mode."}));
    EXPECT_EQ(system.mainWindow->hwnd, nullptr);
    EXPECT_FALSE(kestrova_test::WindowExists("Tamrik"));
}

TEST(MainWindow, ASizeNoDisplayCouldHoldIsRefusedAsAWindowThatCannotBeCreated)
{
    kestrova_test::ScratchDir scratch;
    CWin32System system;
    RecordingLog* log = InstallRecordingLog(&system);
    EXPECT_FALSE(system.mainWindow->Create(100000, 600));
    EXPECT_FALSE(system.mainWindow->Create(800, 2000000000));
    EXPECT_EQ(log->messages, (std::vector<std::string>{"Error|Unable to create window.",
                                                       "Error|Unable to create window."}));
    EXPECT_FALSE(kestrova_test::WindowExists("Tamrik"));
}

TEST(MainWindow, OnlyTheExactValueTrueAsksForFullScreen)
{
    kestrova_test::ScratchDir scratch;
    // Full screen at 640 x 480 would be refused by a 1280 x 1024 display; "True" stays windowed.
    WriteFile("Settings.ini", "[Display]\nFullscreen = True\n");
    CWin32System system;
    RecordingLog* log = InstallRecordingLog(&system);
    ASSERT_TRUE(system.mainWindow->Create(640, 480));
    kestrova_test::WindowGeometry geometry;
    ASSERT_TRUE(kestrova_test::WaitForWindow("Tamrik", 10000, &geometry));
    EXPECT_EQ(geometry.width, 640);
    EXPECT_EQ(geometry.height, 480);
    EXPECT_TRUE(log->messages.empty());
    EXPECT_TRUE(system.mainWindow->Destroy());
    EXPECT_FALSE(kestrova_test::WindowExists("Tamrik"));
}

TEST(MainWindow, ACloseRequestSetsTheQuitFlagAndLeavesTheWindowOpen)
{
    kestrova_test::ScratchDir scratch;
    CWin32System system;
    InstallRecordingLog(&system);
    ASSERT_TRUE(system.mainWindow->Create(320, 200));
    kestrova_test::WindowGeometry geometry;
    ASSERT_TRUE(kestrova_test::WaitForWindow("Tamrik", 10000, &geometry));
    ASSERT_TRUE(kestrova_test::SendCloseRequest("Tamrik"));
    // One message per pass: the request arrives after whatever the server queued before it.
    for (int pass = 0; pass < 2000 && !system.quit; ++pass) {
        system.mainWindow->Update();
        system.Sleep(5);
    }
    EXPECT_TRUE(system.quit);
    EXPECT_TRUE(kestrova_test::WindowExists("Tamrik"));
    EXPECT_TRUE(system.mainWindow->Destroy());
}

struct PressLog {
    std::vector<std::string> events;
    void ButtonDown(int32_t button, int32_t) { events.push_back("bd" + std::to_string(button)); }
    void ButtonUp(int32_t button, int32_t) { events.push_back("bu" + std::to_string(button)); }
    void KeyDown(int32_t code, int32_t) { events.push_back("kd" + std::to_string(code)); }
    void KeyUp(int32_t code, int32_t) { events.push_back("ku" + std::to_string(code)); }
};

// A frame longer than a tap (10 frames a second on a large level in software): the press and
// the release both arrive between two polls.
TEST(MainWindow, AKeyOrButtonTappedBetweenTwoPollsGoesDownAndUpOnSuccessivePolls)
{
    kestrova_test::ScratchDir scratch;
    CWin32System system;
    InstallRecordingLog(&system);
    PressLog presses;
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, MakeListener<&PressLog::ButtonDown>(&presses));
    system.AddListener(INPUT_MOUSE_BUTTON_UP, MakeListener<&PressLog::ButtonUp>(&presses));
    system.AddListener(INPUT_KEY_DOWN, MakeListener<&PressLog::KeyDown>(&presses));
    system.AddListener(INPUT_KEY_UP, MakeListener<&PressLog::KeyUp>(&presses));
    ASSERT_TRUE(system.mainWindow->Create(320, 200));
    kestrova_test::WindowGeometry geometry;
    ASSERT_TRUE(kestrova_test::WaitForWindow("Tamrik", 10000, &geometry));
    const auto settle = [&] {
        for (int pass = 0; pass < 20; ++pass) {
            system.mainWindow->Update();
            system.Sleep(5);
        }
        presses.events.clear();
    };
    const auto poll = [&] {
        presses.events.clear();
        system.mainWindow->Update();
        return presses.events;
    };
    using Events = std::vector<std::string>;
    settle();

    ASSERT_EQ(std::system("xdotool key F10 >/dev/null 2>&1"), 0);
    system.Sleep(200);
    EXPECT_EQ(poll(), (Events{"kd68"}));
    EXPECT_EQ(poll(), (Events{"ku68"}));
    EXPECT_EQ(poll(), Events{});

    settle();
    ASSERT_EQ(std::system("xdotool mousemove 160 100 click 1 click 3 >/dev/null 2>&1"), 0);
    system.Sleep(200);
    // Both buttons down in one poll, both up in the next.
    EXPECT_EQ(poll(), (Events{"bd0", "bd1"}));
    EXPECT_EQ(poll(), (Events{"bu0", "bu1"}));
    EXPECT_EQ(poll(), Events{});
    EXPECT_TRUE(system.mainWindow->Destroy());
}

// A recording device whose first frame ends the run, as a handler program calling Terminate would.
class TerminatingDevice : public kestrova_test::RecordingDevice {
public:
    using RecordingDevice::RecordingDevice;
    void BeginFrame() override
    {
        RecordingDevice::BeginFrame();
        system->Terminate();
    }
};

// Puts a scripted device in the place of the one the engine chose; the old one's listener
// records go with it.
void ReplaceDevice(CEngine& engine, CRenderDevice* device)
{
    CRenderDevice* old = engine.device;
    CSystem* system = engine.system;
    system->RemoveListener(INPUT_MOUSE_MOVE, MakeListener<&CRenderDevice::HandleMouseMove>(old));
    system->RemoveListener(INPUT_MOUSE_BUTTON_DOWN,
                           MakeListener<&CRenderDevice::HandleMouseButtonDown>(old));
    system->RemoveListener(INPUT_KEY_DOWN, MakeListener<&CRenderDevice::HandleKeyDown>(old));
    system->RemoveListener(INPUT_KEY_UP, MakeListener<&CRenderDevice::HandleKeyUp>(old));
    delete old;
    engine.device = device;
}

TEST(EngineRun, ADeviceThatCannotBeCreatedIsNotCalledAgainAndTheWindowCloses)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", WINDOWED_800X600);
    std::vector<std::string> calls;
    CEngine engine;
    InstallRecordingLog(engine.system);
    auto* device = new TerminatingDevice(engine.system, &calls);
    device->createSucceeds = false;
    ReplaceDevice(engine, device);

    engine.Run();

    EXPECT_EQ(calls, (std::vector<std::string>{"Create"}));
    EXPECT_FALSE(engine.gui->GetActive());
    EXPECT_EQ(ReadFile("log.txt"),
              std::string(START_LINES) + "Failed creating render device!\r\n" + END_LINES);
    EXPECT_FALSE(kestrova_test::WindowExists("Tamrik"));
}

TEST(EngineRun, TerminateDuringTheFirstPassStillDrawsThatFrameThenTearsDownInOrder)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", WINDOWED_800X600);
    std::vector<std::string> calls;
    CEngine engine;
    InstallRecordingLog(engine.system);
    auto* device = new TerminatingDevice(engine.system, &calls);
    device->destroySucceeds = false;
    ReplaceDevice(engine, device);

    engine.Run();

    EXPECT_EQ(calls, (std::vector<std::string>{"Create", "CreateTextFont", "LoadGUITextures",
                                               "BeginFrame", "Set2DMode", "DrawSplash",
                                               "DrawString Reading BSP file... @266,450 0,0,0",
                                               "EndFrame", "ReleaseLevelGeometry",
                                               "ReleaseLevelTextures", "ReleaseTextFont",
                                               "Destroy"}));
    EXPECT_TRUE(engine.gui->GetActive());
    EXPECT_EQ(engine.device->gui, engine.gui);
    // The scratch folder has no "gui/gui.xml"; the GUI logs its activation; the scripted Destroy
    // fails: the line is logged and the tear-down goes on.
    EXPECT_EQ(ReadFile("log.txt"), std::string(START_LINES) +
                                       "[XMLParser] Warning: no window built from gui/gui.xml.\r\n"
                                       "\r\n\r\nvoid CGUI::SetActive(bool status) is invoked!\r\n\r\n" +
                                       "render_thread: Failed destroying render device!\r\n" +
                                       END_LINES);
}

} // namespace
