// The real settings tool on its own Xorg with several display modes, driven with xdotool: the mode
// list and test, saves that work or fail, the dialog's picture and radio buttons, leaving unsaved.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"
#include "tests/support/user_input.h"
#include "tests/support/x11_window.h"
#include "tests/support/xorg_dummy_server.h"

using namespace kestrova_test;

namespace {

namespace fs = std::filesystem;

const char* const TITLE = "Opcije Kestrova-a";
const char* const QUESTION = "Test rezolucije";
const char* const ERROR_BOX = "Pogreska";

// Visible windows titled title, oldest first.
std::vector<std::string> Windows(const std::string& title)
{
    std::vector<std::string> ids;
    FILE* pipe = popen(("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null").c_str(), "r");
    char id[64];
    while (pipe && std::fscanf(pipe, "%63s", id) == 1)
        ids.push_back(id);
    if (pipe)
        pclose(pipe);
    return ids;
}

struct Size {
    unsigned width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// Runs look on a fresh connection: Xlib's own screen figures stay at what they were when a
// connection opened.
template <class Look>
void OnDisplay(Look look)
{
    if (Display* display = XOpenDisplay(nullptr)) {
        look(display, DefaultRootWindow(display));
        XCloseDisplay(display);
    }
}

Size ScreenSize()
{
    Size size;
    OnDisplay([&](Display* display, Window root) {
        Window ignored;
        int x, y;
        unsigned border, depth;
        XGetGeometry(display, root, &ignored, &x, &y, &size.width, &size.height, &border, &depth);
    });
    return size;
}

Size ScreenMillimetres()
{
    Size size;
    OnDisplay([&](Display* display, Window) {
        const int screen = DefaultScreen(display);
        size = {unsigned(DisplayWidthMM(display, screen)), unsigned(DisplayHeightMM(display, screen))};
    });
    return size;
}

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// What the dialog's client area shows; empty when it cannot be read.
struct ClientPicture {
    int width = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

ClientPicture TakePicture(const WindowGeometry& dialog)
{
    ClientPicture picture;
    OnDisplay([&](Display* display, Window root) {
        XImage* image = XGetImage(display, root, dialog.x, dialog.y, unsigned(dialog.width),
                                  unsigned(dialog.height), AllPlanes, ZPixmap);
        if (!image)
            return;
        picture.width = dialog.width;
        for (int y = 0; y < dialog.height; ++y)
            for (int x = 0; x < dialog.width; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                picture.pixels.push_back({int(p >> 16) & 255, int(p >> 8) & 255, int(p) & 255});
            }
        XDestroyImage(image);
    });
    return picture;
}

// A rectangle of pixels, edges included; empty (right < left) by default.
struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

// The smallest box around the pixels within that drawn picks out.
template <class Drawn>
Box InkBox(const ClientPicture& picture, Box within, Drawn drawn)
{
    Box box;
    for (int y = within.top; y <= within.bottom; ++y)
        for (int x = within.left; x <= within.right; ++x)
            if (drawn(picture.At(x, y)))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                       std::max(box.bottom, y)};
    return box;
}

bool WaitForScreen(Size size, int timeoutMs)
{
    return WaitUntil([&] { return ScreenSize() == size; }, timeoutMs);
}

// Top-level windows on screen; the mode list's pop-up is one of them while it is open.
int ViewableWindows()
{
    int viewable = 0;
    OnDisplay([&](Display* display, Window root) {
        Window ignored, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, root, &ignored, &ignored, &children, &count))
            return;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            viewable += XGetWindowAttributes(display, children[i], &attributes) &&
                        attributes.map_state == IsViewable;
        }
        XFree(children);
    });
    return viewable;
}

struct Mode {
    unsigned width, height, frequency;
    bool operator==(const Mode&) const = default;
};

// The modes that the server offers on its connected output, as the list should show them.
std::vector<Mode> ServerModes()
{
    std::vector<Mode> modes;
    OnDisplay([&](Display* display, Window root) {
        XRRScreenResources* resources = XRRGetScreenResources(display, root);
        for (int o = 0; resources && o < resources->noutput && modes.empty(); ++o) {
            XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[o]);
            for (int m = 0; output && output->connection == RR_Connected && output->crtc && m < output->nmode; ++m)
                for (int i = 0; i < resources->nmode; ++i) {
                    const XRRModeInfo& info = resources->modes[i];
                    if (info.id != output->modes[m] || info.width < 640 || info.height < 480)
                        continue;
                    double rate = double(info.dotClock) / (double(info.hTotal) * info.vTotal);
                    modes.push_back({info.width, info.height, unsigned(std::lround(rate))});
                }
            if (output)
                XRRFreeOutputInfo(output);
        }
        if (resources)
            XRRFreeScreenResources(resources);
    });
    return modes;
}

std::string Settings(bool fullscreen)
{
    return std::string("[Display]\r\nWidth = \"800\"\r\nHeight = \"600\"\r\nDepth = \"32\"\r\n"
                       "RefreshRate = \"60\"\r\nFullscreen = \"") +
           (fullscreen ? "true" : "false") +
           "\"\r\nRenderer = \"OpenGL\"\r\n[Game]\r\nLog = \"false\"\r\n"
           "Map = \"maps/demo.bsp\"\r\nDebugDump = \"false\"\r\n";
}

class SettingsTool : public testing::Test {
protected:
    void SetUp() override
    {
        const char* xvfb = std::getenv("DISPLAY");
        viewerDisplay = xvfb ? xvfb : "";
        ASSERT_TRUE(xorg.Start()) << "Xorg with the dummy driver did not start";
        setenv("DISPLAY", xorg.Display().c_str(), 1);
        startSize = ScreenSize();
        ASSERT_EQ(startSize, (Size{1280, 1024}));
        // The runtime folder's files, with a Settings.ini of the test's own.
        for (const auto& entry : fs::directory_iterator(RunDir()))
            if (entry.path().filename() != "Settings.ini" && entry.path().filename() != "log.txt")
                fs::create_symlink(entry.path(), dir.Path() / entry.path().filename());
    }

    void TearDown() override
    {
        if (tool.Running())
            tool.Wait(0);
        setenv("DISPLAY", viewerDisplay.c_str(), 1);
    }

    // Starts the tool, after the words of launcher when there are any, its standard error into
    // stderrPath when one is given.
    void StartTool(const std::string& settings, std::vector<std::string> launcher = {},
                   const std::string& stderrPath = "")
    {
        WriteFile(dir.Path() / "Settings.ini", settings);
        launcher.push_back((RunDir() / "Kestrova_Manager").string());
        ASSERT_TRUE(tool.StartWith(launcher, dir.Path().string(),
                                   {"ASAN_OPTIONS=detect_leaks=0", "NO_AT_BRIDGE=1"}, stderrPath));
        ASSERT_TRUE(WaitForWindow(TITLE, 30000, &dialog)) << "no dialog";
        Pause(300);
    }

    // A click at a point of the dialog's client area.
    void Click(int x, int y)
    {
        Xdo("mousemove --sync " + std::to_string(dialog.x + x) + " " +
            std::to_string(dialog.y + y) + " click 1");
        Pause(150);
    }
    void ClickSave() { Click(560, 485); }
    void ClickTest() { Click(545, 390); }
    void ClickFullscreen() { Click(638, 393); }
    void ClickDebug() { Click(638, 417); }
    void ClickExit() { Click(656, 485); }
    void ExitTool()
    {
        ClickExit();
        EXPECT_EQ(tool.Wait(10000), 0);
    }

    // Saves and reads the file back.
    Tamrik::IniMap Save()
    {
        fs::remove(dir.Path() / "Settings.ini");
        ClickSave();
        Tamrik::IniMap map;
        WaitUntil([&] { return fs::exists(dir.Path() / "Settings.ini"); }, 5000);
        Tamrik::ParseIniFile(map, (dir.Path() / "Settings.ini").c_str());
        return map;
    }

    // Focuses the mode list without changing it (its pop-up is closed again) and presses key.
    void ListKey(const std::string& key)
    {
        int shown = ViewableWindows();
        Click(150, 370);
        WaitUntil([&] { return ViewableWindows() > shown; }, 5000);
        Xdo("key Escape");
        WaitUntil([&] { return ViewableWindows() <= shown; }, 5000);
        Xdo("key " + key);
        Pause(100);
    }

    // Confirms the newest open box titled title; false when none is open.
    bool AnswerNewestBox(const char* title = QUESTION)
    {
        std::vector<std::string> boxes = Windows(title);
        if (boxes.empty())
            return false;
        Xdo("windowfocus --sync " + boxes.back() + " key Return");
        return WaitUntil([&] { return Windows(title).size() < boxes.size(); }, 3000);
    }

    bool WaitForBoxes(size_t count, int timeoutMs, const char* title = QUESTION)
    {
        return WaitUntil([&] { return Windows(title).size() == count; }, timeoutMs);
    }

    XorgDummyServer xorg;
    ScratchDir dir;
    ChildProcess tool;
    WindowGeometry dialog;
    Size startSize;
    std::string viewerDisplay;
};

TEST_F(SettingsTool, TheListShowsTheServersModesWithTheConfiguredOneSelected)
{
    StartTool(Settings(false));
    Tamrik::IniMap saved = Save();
    EXPECT_EQ(saved["Display"]["Width"], "800");
    EXPECT_EQ(saved["Display"]["Height"], "600");
    EXPECT_EQ(saved["Display"]["Depth"], "32");
    EXPECT_EQ(saved["Display"]["RefreshRate"], "60");

    // Walk the list from its top, saving each item, and compare with what the server offers.
    std::vector<Mode> expected = ServerModes();
    ASSERT_GE(expected.size(), 4u);
    std::vector<Mode> listed;
    for (size_t i = 0; i < expected.size() + 1; ++i) {
        ListKey(i == 0 ? "Home" : "Down");
        saved = Save();
        EXPECT_EQ(saved["Display"]["Depth"], "32");
        listed.push_back({unsigned(std::atoi(saved["Display"]["Width"].c_str())),
                          unsigned(std::atoi(saved["Display"]["Height"].c_str())),
                          unsigned(std::atoi(saved["Display"]["RefreshRate"].c_str()))});
    }
    // One step past the end stays on the last item.
    EXPECT_EQ(listed.back(), expected.back());
    listed.pop_back();
    EXPECT_EQ(listed, expected);
    // 59.94 Hz is listed as 60.
    for (const Mode& mode : {Mode{640, 480, 60}, Mode{1024, 768, 60}})
        EXPECT_NE(std::find(listed.begin(), listed.end(), mode), listed.end()) << mode.width;
    for (const Mode& mode : listed)
        EXPECT_FALSE(mode.width == 512 && mode.height == 384);
    ExitTool();
}

TEST_F(SettingsTool, ATriedModeComesBackWhenTheQuestionIsConfirmed)
{
    StartTool(Settings(false));
    // Without "Fullscreen" ticked, "Testiraj" does nothing.
    ClickTest();
    Pause(500);
    EXPECT_TRUE(Windows(QUESTION).empty());
    EXPECT_EQ(ScreenSize(), startSize);

    ClickFullscreen();
    ClickTest();
    EXPECT_TRUE(WaitForScreen({800, 600}, 5000));
    // The screen keeps the 96 dots per inch Xorg gave it (1280 x 1024 on 338 x 270 mm).
    EXPECT_EQ(ScreenMillimetres(), (Size{211, 158}));
    ASSERT_TRUE(WaitForBoxes(1, 5000));
    EXPECT_TRUE(AnswerNewestBox());
    EXPECT_TRUE(WaitForScreen(startSize, 5000));
    EXPECT_EQ(ScreenMillimetres(), (Size{338, 270}));
    EXPECT_TRUE(Windows(QUESTION).empty());
    ExitTool();
}

TEST_F(SettingsTool, AnUnansweredQuestionIsAnsweredByTheTimerAfterTenSeconds)
{
    StartTool(Settings(true));
    ClickTest();
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForScreen({800, 600}, 5000));
    ASSERT_TRUE(WaitForBoxes(1, 5000));
    // The fall-back message comes over the still open question, with the screen back.
    ASSERT_TRUE(WaitForBoxes(2, 15000));
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    EXPECT_GT(seconds.count(), 9.0);
    EXPECT_TRUE(WaitForScreen(startSize, 2000));
    EXPECT_TRUE(AnswerNewestBox());
    EXPECT_TRUE(AnswerNewestBox());
    Pause(300);
    EXPECT_EQ(ScreenSize(), startSize);
    ExitTool();
}

TEST_F(SettingsTool, EndingTheToolDuringATestPutsTheModeBack)
{
    StartTool(Settings(true));
    ClickTest();
    ASSERT_TRUE(WaitForScreen({800, 600}, 5000));
    ASSERT_TRUE(WaitForBoxes(1, 5000));
    tool.Signal(SIGTERM);
    EXPECT_EQ(tool.Wait(10000), 128 + SIGTERM);
    EXPECT_EQ(ScreenSize(), startSize);
}

TEST_F(SettingsTool, AModeTheScreenDoesNotListSelectsNothingAndASaveKeepsIt)
{
    std::string settings = Settings(true);
    settings.replace(settings.find("\"60\""), 4, "\"59\"");
    StartTool(settings);
    // Nothing selected: "Testiraj" has no mode to try.
    ClickTest();
    Pause(500);
    EXPECT_TRUE(Windows(QUESTION).empty());
    EXPECT_EQ(ScreenSize(), startSize);
    ClickDebug();
    Tamrik::IniMap saved = Save();
    EXPECT_EQ(saved["Game"]["Log"], "true");
    for (auto [key, value] : {std::pair{"Width", "800"}, {"Height", "600"}, {"Depth", "32"},
                              {"RefreshRate", "59"}})
        EXPECT_EQ(saved["Display"][key], value) << key;
    ExitTool();
}

TEST_F(SettingsTool, ASaveThatFailsShowsItsBoxAndKeepsTheOldFileAndAGoodOneStaysSilent)
{
    StartTool(Settings(false));
    const fs::path file = dir.Path() / "Settings.ini";
    fs::remove(file);
    WriteFile(file / "keep", "x");
    ClickSave();
    EXPECT_TRUE(WaitForBoxes(1, 5000, ERROR_BOX));
    EXPECT_EQ(ReadFile(file / "keep"), "x");
    EXPECT_TRUE(AnswerNewestBox(ERROR_BOX));

    fs::remove_all(file);
    // Off "Pohrani" first: a synchronous move to where the pointer already is waits in vain.
    Xdo("mousemove 0 0");
    ClickSave();
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(file); }, 5000));
    Pause(300);
    EXPECT_TRUE(Windows(ERROR_BOX).empty());
    ExitTool();
}

// A file of mode 0200, which root too may not read without the rights that let it read any file.
TEST_F(SettingsTool, AFileThatCannotBeReadIsSaidWhenTheDialogOpensAndASaveLeavesIt)
{
    const fs::path file = dir.Path() / "Settings.ini", errors = dir.Path() / "errors.txt";
    const std::string settings = Settings(false) + "[Extra]\r\nKey = \"kept\"\r\n";
    WriteFile(file, settings);
    fs::permissions(file, fs::perms(0200));
    std::vector<std::string> launcher;
    if (geteuid() == 0)
        launcher = {"setpriv", "--bounding-set=-dac_override,-dac_read_search"};
    StartTool(settings, launcher, errors.string());
    EXPECT_NE(ReadFile(errors).find("Cannot read \"Settings.ini\" in " + dir.Path().string() +
                                    ": Permission denied\n"),
              std::string::npos)
        << ReadFile(errors);
    ClickSave();
    EXPECT_TRUE(WaitForBoxes(1, 5000, ERROR_BOX));
    fs::permissions(file, fs::perms(0600));
    EXPECT_EQ(ReadFile(file), settings);
    EXPECT_TRUE(AnswerNewestBox(ERROR_BOX));
    ExitTool();
}

TEST_F(SettingsTool, DebugTickedAndSavedIsWhatTheViewerStartsWith)
{
    StartTool(Settings(false));
    ClickDebug();
    Tamrik::IniMap saved = Save();
    EXPECT_EQ(saved["Game"]["Log"], "true");
    EXPECT_EQ(saved["Game"]["Map"], "maps/demo.bsp");
    EXPECT_EQ(saved["Game"]["DebugDump"], "false");
    EXPECT_EQ(saved["Display"]["Renderer"], "OpenGL");
    EXPECT_EQ(saved["Display"]["Fullscreen"], "false");
    ClickExit();
    ASSERT_EQ(tool.Wait(10000), 0);

    // The viewer, on the test's Xvfb, logs because the tool switched the log on.
    setenv("DISPLAY", viewerDisplay.c_str(), 1);
    ChildProcess viewer;
    ASSERT_TRUE(viewer.Start((RunDir() / "Kestrova").string(), dir.Path().string(),
                             {"LIBGL_ALWAYS_SOFTWARE=1", "SDL_AUDIODRIVER=dummy"}));
    WindowGeometry window;
    ASSERT_TRUE(WaitForWindow("Tamrik", 30000, &window));
    EXPECT_EQ(window.width, 800);
    EXPECT_EQ(window.height, 600);
    EXPECT_NE(ReadFile(dir.Path() / "log.txt").find(".:: CEngine::Run() started ::."),
              std::string::npos);
    SendCloseRequest("Tamrik");
    EXPECT_EQ(viewer.Wait(30000), 0);
}

TEST_F(SettingsTool, TheDialogHasItsClientSizeAndThePictureFillsItsRectangle)
{
    StartTool(Settings(false));
    EXPECT_EQ(dialog.width, 775);
    EXPECT_EQ(dialog.height, 512);
    Pause(500);

    ClientPicture picture = TakePicture(dialog);
    ASSERT_EQ(picture.pixels.size(), 775u * 512u);
    // The picture's dark teal frame lies just inside the rectangle (16, 8) - (752, 328), the
    // dialog's light background just outside it.
    auto isFrame = [&](int x, int y) {
        Rgb p = picture.At(x, y);
        return std::abs(p.r - 20) < 30 && std::abs(p.g - 61) < 30 && std::abs(p.b - 79) < 30;
    };
    auto isLight = [&](int x, int y) {
        Rgb p = picture.At(x, y);
        return p.r > 180 && p.g > 180 && p.b > 180;
    };
    for (auto [x, y] : {std::pair{17, 9}, {750, 9}, {17, 326}, {750, 326}, {384, 9}, {17, 168}})
        EXPECT_TRUE(isFrame(x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{14, 168}, {754, 168}, {384, 6}, {384, 330}, {8, 4}, {770, 500}})
        EXPECT_TRUE(isLight(x, y)) << x << "," << y;
    // Inside the frame is the picture itself, neither frame nor background.
    EXPECT_FALSE(isFrame(384, 100) || isLight(384, 100));
    ExitTool();
}

TEST_F(SettingsTool, WithoutItsPictureTheDialogOpensAndNoOtherWindow)
{
    fs::remove(dir.Path() / "textures");
    int shown = ViewableWindows();
    StartTool(Settings(false));
    // The toolkit would show its own error box once its loop is idle.
    Pause(700);
    EXPECT_EQ(ViewableWindows(), shown + 1);
    ExitTool();
}

TEST_F(SettingsTool, TheRadioButtonsMeetWithoutOverlapAndShowTheirWholeTextAndIndicators)
{
    StartTool(Settings(false));
    // "OpenGL" takes the 16 rows from 440, "Direct3D" the 16 below: a click's row, and the
    // renderer chosen after it.
    const struct {
        int y;
        const char* renderer;
    } clicks[] = {{458, "Direct3D"}, {454, "OpenGL"}, {456, "Direct3D"}, {455, "OpenGL"},
                  {471, "Direct3D"}, {441, "OpenGL"}, {474, "OpenGL"}};
    for (const auto& c : clicks) {
        Click(50, c.y);
        EXPECT_EQ(Save()["Display"]["Renderer"], c.renderer) << "click at y = " << c.y;
    }

    auto blue = [](Rgb p) { return p.b > p.r + 40; };
    auto dark = [](Rgb p) { return p.r + p.g + p.b < 450; };
    for (int top : {440, 456}) {
        Click(50, top + 2);
        ClientPicture picture = TakePicture(dialog);
        ASSERT_FALSE(picture.pixels.empty());
        // The chosen button's blue indicator, as tall as it is wide, within its 16 rows.
        Box indicator = InkBox(picture, {10, 430, 39, 484}, blue);
        EXPECT_EQ(indicator.bottom - indicator.top, indicator.right - indicator.left) << top;
        EXPECT_TRUE(indicator.top >= top && indicator.bottom < top + 16) << top;
        // Its text clear of the first and last row, where a cut one would end.
        Box text = InkBox(picture, {38, top, 139, top + 15}, dark);
        EXPECT_TRUE(text.top > top && text.top < text.bottom && text.bottom < top + 15) << top;
    }
    ExitTool();
}

TEST_F(SettingsTool, LeavingByIzlazOrTheCloseBoxWritesNothing)
{
    const std::string handWritten = "; mine\n[Display]\nWidth = 800\nRenderer = OpenGL\n";
    StartTool(handWritten);
    ClickDebug();
    ClickExit();
    EXPECT_EQ(tool.Wait(10000), 0);
    EXPECT_EQ(ReadFile(dir.Path() / "Settings.ini"), handWritten);

    StartTool(handWritten);
    ClickFullscreen();
    ASSERT_TRUE(SendCloseRequest(TITLE));
    EXPECT_EQ(tool.Wait(10000), 0);
    EXPECT_EQ(ReadFile(dir.Path() / "Settings.ini"), handWritten);
    EXPECT_FALSE(fs::exists(dir.Path() / "Settings.ini.new"));
}

TEST(SettingsToolWithoutDisplay, SaysSoAndFails)
{
    ScratchDir dir;
    std::string command = "env -u DISPLAY " + (RunDir() / "Kestrova_Manager").string() +
                          " 2>err.txt >/dev/null";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
    EXPECT_NE(ReadFile("err.txt").find("display"), std::string::npos);
}

} // namespace
