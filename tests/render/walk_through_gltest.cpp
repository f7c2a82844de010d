// The real viewer driven like a user under the test's Xvfb: splash and wait message, a key ends
// the wait, F10 puts the GUI's panel away, the arrow keys walk, a click at a switch toggles its
// light, F9 switches the shader path, and closing the window ends the run with its whole
// tear-down in "log.txt"; the panel's check box switches the shader path and its quit button
// ends the run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "render/bitmap_font.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"
#include "tests/support/user_input.h"
#include "tests/support/x11_window.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;

// The window's picture (it sits at the screen's top-left corner), top row first.
struct Shot {
    std::vector<unsigned char> rgb;

    bool Take()
    {
        const std::string path = (fs::current_path() / "shot.ppm").string();
        const std::string command = "import -window root -crop " + std::to_string(WIDTH) + "x" + std::to_string(HEIGHT) +
                                    "+0+0 +repage -depth 8 ppm:" + path + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return false;
        const std::string bytes = ReadFile(path);
        // "P6 <width> <height> <max>" and one white-space byte before the pixels.
        int w = 0, h = 0, max = 0, offset = 0;
        if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &offset) != 3 || w != WIDTH || h != HEIGHT || max != 255)
            return false;
        const size_t start = static_cast<size_t>(offset) + 1;
        if (bytes.size() < start + static_cast<size_t>(w) * h * 3)
            return false;
        rgb.assign(bytes.begin() + static_cast<long>(start), bytes.begin() + static_cast<long>(start) + w * h * 3);
        return true;
    }

    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * WIDTH + x) * 3]; }

    bool Is(int x, int y, int r, int g, int b) const
    {
        const unsigned char* p = At(x, y);
        return std::abs(p[0] - r) <= 3 && std::abs(p[1] - g) <= 3 && std::abs(p[2] - b) <= 3;
    }

    // Pixels of a box darker than 16 in every channel.
    int NearBlack(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y)[0] < 16 && At(x, y)[1] < 16 && At(x, y)[2] < 16;
        return n;
    }

    double MeanBrightness(int x0, int y0, int x1, int y1) const
    {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += (At(x, y)[0] + At(x, y)[1] + At(x, y)[2]) / 3.0;
        return sum / ((x1 - x0) * (y1 - y0));
    }
};

// Share of pixels that differ clearly between two pictures.
double Changed(const Shot& a, const Shot& b)
{
    size_t changed = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        const int d = std::abs(a.rgb[i] - b.rgb[i]) + std::abs(a.rgb[i + 1] - b.rgb[i + 1]) +
                      std::abs(a.rgb[i + 2] - b.rgb[i + 2]);
        changed += d > 60;
    }
    return static_cast<double>(changed) / (a.rgb.size() / 3);
}

// How white the pixels are where the font would ink text drawn at (x, y): white text scores
// about 255, a wrong guess takes in background and scores lower.
double InkScore(const Shot& shot, const CBitmapFont& font, const std::string& text, int x, int y)
{
    double sum = 0;
    int n = 0;
    int pen = x;
    for (unsigned char c : text) {
        const Glyph* g = font.Find(c);
        if (!g)
            continue;
        const int gx = pen + g->left;
        const int gy = y + font.size - g->top;
        for (int r = 0; r < g->rows; ++r)
            for (int col = 0; col < g->width; ++col) {
                if (g->bitmap[r * g->width + col] < 200)
                    continue;
                const int px = gx + col, py = gy + r;
                if (px < 0 || py < 0 || px >= WIDTH || py >= HEIGHT)
                    continue;
                const unsigned char* p = shot.At(px, py);
                sum += std::min({p[0], p[1], p[2]});
                ++n;
            }
        pen += g->advance;
    }
    return n ? sum / n : 0;
}

std::string BestLightLine(const Shot& shot, const CBitmapFont& font)
{
    const std::vector<std::string> candidates = {"light1 off", "light1 on", "light3 off", "light3 on"};
    std::string best;
    double bestScore = -1;
    for (const std::string& text : candidates) {
        const double score = InkScore(shot, font, text, 5, 45);
        if (score > bestScore) {
            bestScore = score;
            best = text;
        }
    }
    return best;
}

// The panel at the right: its caption bar amber, as its dialog has the focus.
bool PanelShown(const Shot& shot)
{
    const unsigned char* caption = shot.At(510, 75);
    return caption[0] > 180 && caption[2] < 100;
}

// The line of the panel that its handlers write, as the font would place it (x 520, centred in
// the 24 pixels from y 250).
std::string BestPanelLine(const Shot& shot, const CBitmapFont& font)
{
    const int y = 250 + (24 - font.GetLineHeight()) / 2;
    return InkScore(shot, font, "GLSL shader path on", 520, y) > InkScore(shot, font, "GLSL shader path off", 520, y)
               ? "on"
               : "off";
}

// A skin's rim under the cursor, or the focused dialog's caption bar.
bool IsAmber(const Shot& shot, int x, int y)
{
    return shot.At(x, y)[0] > 180 && shot.At(x, y)[2] < 120;
}

class WalkThrough : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Everything the viewer reads, from the runtime directory, but our own settings and log.
        for (const auto& entry : fs::directory_iterator(RunDir())) {
            const std::string name = entry.path().filename().string();
            if (name == "Settings.ini" || name == "log.txt" || name == "Kestrova")
                continue;
            std::error_code ec;
            fs::create_symlink(entry.path(), name, ec);
        }
        UseRenderer("OpenGL");
        ASSERT_TRUE(font.Load());
    }

    static void UseRenderer(const std::string& renderer)
    {
        WriteFile("Settings.ini", "[Display]\nWidth = \"800\"\nHeight = \"600\"\nDepth = \"32\"\nRefreshRate = \"60\"\n"
                                  "Fullscreen = \"false\"\nRenderer = \"" + renderer + "\"\n"
                                  "[Game]\nLog = \"true\"\nMap = \"maps/demo.bsp\"\nDebugDump = \"false\"\n");
    }

    void StartViewer(ChildProcess& process)
    {
        ASSERT_TRUE(process.Start((RunDir() / "Kestrova").string(), fs::current_path().string(),
                                  {"KESTROVA_NO_MESSAGE_BOX=1", "LIBGL_ALWAYS_SOFTWARE=1", "SDL_AUDIODRIVER=dummy"}));
        WindowGeometry geometry;
        ASSERT_TRUE(WaitForWindow("Tamrik", 30000, &geometry));
        // Keyboard focus follows the pointer on a display without a window manager.
        Xdo("mousemove 400 300");
    }

    // The splash with "Press any key to continue..." in black at (266, 450), and nothing else
    // black on it.
    void WaitForTheWaitMessage(Shot& shot)
    {
        ASSERT_TRUE(WaitFor(shot, 30000, [](const Shot& s) {
            return s.Is(2, 2, 255, 247, 240) && s.NearBlack(266, 450, 466, 470) > 30;
        })) << "no wait message on the splash";
        EXPECT_TRUE(shot.Is(797, 597, 255, 247, 240));
        EXPECT_EQ(shot.NearBlack(0, 0, WIDTH, 440), 0);
    }

    // A key ends the wait; the level replaces the splash.
    void PressAKeyForTheLevel(Shot& shot)
    {
        // As a user would, once more when a slow machine seems to have missed the first press.
        bool shown = false;
        for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
            Key("space");
            shown = WaitFor(shot, 10000, [](const Shot& s) { return !s.Is(797, 597, 255, 247, 240); });
        }
        ASSERT_TRUE(shown);
        // One frame more, so that the picture is the level's in full.
        Pause(300);
        ASSERT_TRUE(shot.Take());
    }

    // Takes pictures until check holds or timeoutMs has passed.
    template <class Check>
    bool WaitFor(Shot& shot, int timeoutMs, Check check)
    {
        for (int waited = 0; waited <= timeoutMs; waited += 200) {
            if (shot.Take() && check(shot))
                return true;
            Pause(200);
        }
        return false;
    }

    // Starts the viewer, checks the splash and its wait message and ends the wait with a key.
    void StartAndEnterTheLevel(Shot& shot, ChildProcess& process)
    {
        ASSERT_NO_FATAL_FAILURE(StartViewer(process));
        ASSERT_NO_FATAL_FAILURE(WaitForTheWaitMessage(shot));
        ASSERT_NO_FATAL_FAILURE(PressAKeyForTheLevel(shot));
    }
    void StartAndEnterTheLevel(Shot& shot) { StartAndEnterTheLevel(shot, viewer); }

    // A click held long enough for the slowest frame to see the button down: the viewer reads
    // the buttons' state once a frame, and a frame of the GUI in software takes a while.
    void Press()
    {
        Xdo("mousedown 1");
        Pause(1000);
        Xdo("mouseup 1");
        Pause(300);
    }

    // Moves the GUI cursor as the mouse does: by the pointer's motion, not to its place.
    void MoveBy(int dx, int dy)
    {
        Xdo("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
        Pause(400);
    }

    // The viewer polls the keyboard and the buttons once a frame, so keys and clicks are held
    // as long as a hand would hold them; then the picture settles.
    void Key(const std::string& name, int ms = 150)
    {
        Xdo("keydown " + name);
        Pause(ms);
        Xdo("keyup " + name);
        Pause(300);
    }
    void WalkForward(int ms) { Key("Up", ms); }

    void Click()
    {
        Xdo("mousedown 1");
        Pause(150);
        Xdo("mouseup 1");
        Pause(400);
    }

    ScratchDir scratch;
    CBitmapFont font;
    ChildProcess viewer;
};

TEST_F(WalkThrough, AUserLoadsWalksSwitchesALightTurnsOnShadersAndCloses)
{
    Shot shot;
    StartAndEnterTheLevel(shot);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(BestLightLine(shot, font), "light1 off");

    // The GUI starts shown with its panel; F10 puts it away, so the arrow keys walk. Frames that
    // draw the GUI are slow in software, so the key is held until one has surely seen it.
    EXPECT_TRUE(PanelShown(shot));
    Key("F10", 1000);
    ASSERT_TRUE(WaitFor(shot, 10000, [](const Shot& s) { return !PanelShown(s); }));
    Shot before;
    ASSERT_TRUE(before.Take());
    WalkForward(1000);
    Shot walked;
    ASSERT_TRUE(walked.Take());
    EXPECT_GT(Changed(before, walked), 0.05);

    // On through the doorway to the east room's far wall, where the switch of light 3 is;
    // collision stops the camera in front of it.
    WalkForward(6000);
    ASSERT_TRUE(shot.Take());
    const double litBefore = shot.MeanBrightness(350, 250, 450, 350);

    // Light 3 starts on: the first click switches it off, the second on again.
    Click();
    ASSERT_TRUE(shot.Take());
    EXPECT_EQ(BestLightLine(shot, font), "light3 off");
    Click();
    ASSERT_TRUE(shot.Take());
    EXPECT_EQ(BestLightLine(shot, font), "light3 on");

    // F9: the program's spot light brightens the wall right in front of the camera.
    Key("F9");
    Pause(500);
    ASSERT_TRUE(shot.Take());
    EXPECT_GT(shot.MeanBrightness(350, 250, 450, 350), litBefore + 20);

    // F10 brings the panel back with its line as it was; the cursor coming onto the panel's body
    // brings the line up to the path that F9 switched on.
    Key("F10", 1000);
    ASSERT_TRUE(WaitFor(shot, 10000, PanelShown));
    EXPECT_EQ(BestPanelLine(shot, font), "off");
    MoveBy(450, -20); // from (320, 320) to (770, 300), right of the buttons
    EXPECT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) { return BestPanelLine(s, font) == "on"; }));

    ASSERT_TRUE(SendCloseRequest("Tamrik"));
    EXPECT_EQ(viewer.Wait(30000), 0);

    const std::string log = ReadFile("log.txt");
    const std::vector<std::string> inOrder = {
        ".:: CEngine::Run() started ::.", "\r\n--Vertex Shader Info--\r\n", "\r\n--Fragment Shader Info--\r\n",
        "\r\n--Shader Program Info--\r\n", "\r\n-----------------------\r\n", "There are 7 textures to load.",
        "main_thread: Destroying main window...", ".:: CEngine::Run() finished ::.\r\n\r\n\r\n"};
    size_t at = 0;
    for (const std::string& line : inOrder) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << log;
        at = found + line.size();
    }
    const size_t shaders = log.find("--Vertex Shader Info--");
    const size_t shadersEnd = log.find("\r\n-----------------------\r\n");
    EXPECT_EQ(log.substr(shaders, shadersEnd - shaders).find("rror"), std::string::npos) << log;
}

TEST_F(WalkThrough, ThePanelsCheckBoxSwitchesTheShaderPathAndItsQuitButtonEndsTheRun)
{
    Shot shot;
    StartAndEnterTheLevel(shot);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(PanelShown(shot));
    EXPECT_EQ(BestPanelLine(shot, font), "off");

    // The GUI cursor starts with its point at (320, 320); the check box is 16 x 16 at (520, 114).
    // Under the cursor its rim turns amber, which also shows that the viewer saw the motion.
    MoveBy(208, -198);
    ASSERT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) { return IsAmber(s, 521, 122); }));
    Press();
    // The line is what GetShaderUsage answered after the box's handler set it.
    EXPECT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) { return BestPanelLine(s, font) == "on"; }));

    // On to the quit button, 240 x 30 at (520, 394), which grows by 4 and 2 pixels a side under
    // the cursor; the run ends as a close request ends it.
    MoveBy(100, 287);
    ASSERT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) { return IsAmber(s, 580, 392); }));
    Press();
    EXPECT_EQ(viewer.Wait(30000), 0);

    const std::string log = ReadFile("log.txt");
    EXPECT_EQ(log.find("[XMLParser]"), std::string::npos) << log;
    EXPECT_EQ(log.find("XMLeasm"), std::string::npos) << log;
    const std::vector<std::string> inOrder = {
        ".:: CEngine::Run() started ::.", "void CGUI::SetActive(bool status) is invoked!",
        "There are 7 textures to load.", "ndsa - object = 'shaderBox'", "ndsa - object = 'System'",
        "main_thread: Destroying main window...", ".:: CEngine::Run() finished ::.\r\n\r\n\r\n"};
    size_t at = 0;
    for (const std::string& line : inOrder) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << log;
        at = found + line.size();
    }
}

TEST_F(WalkThrough, ThePanelsHintsFitInsideItAndWithTheDragBoxTickedItsFreeSpotsDragIt)
{
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(StartAndEnterTheLevel(shot));
    ASSERT_TRUE(PanelShown(shot));

    // Each button's hint, in the line from (520, 432) to (760, 452), ends inside the panel: right
    // of x 762 the line's rows stay as they are without a hint, the right frame (x 778 to 780)
    // and the view beyond it included.
    auto changedPixels = [](const Shot& a, const Shot& b, int x0, int x1) {
        int n = 0;
        for (int y = 432; y < 452; ++y)
            for (int x = x0; x < x1; ++x)
                n += std::abs(a.At(x, y)[0] - b.At(x, y)[0]) + std::abs(a.At(x, y)[2] - b.At(x, y)[2]) > 40;
        return n;
    };
    const Shot withoutHint = shot;
    // From the cursor's start at (320, 320) onto each button's left end in turn.
    const std::vector<std::pair<const char*, int>> buttons = {
        {"align", -29}, {"keys", 36}, {"hide", 36}, {"quit", 36}};
    MoveBy(210, 0);
    for (const auto& [button, dy] : buttons) {
        MoveBy(0, dy);
        EXPECT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) { return changedPixels(s, withoutHint, 520, 762) > 20; }))
            << "no hint for " << button;
        EXPECT_EQ(changedPixels(shot, withoutHint, 762, 800), 0) << "the hint of " << button;
    }

    // Ticked, the drag box lets every spot that shows no control drag the panel: the hint line,
    // beside the radio buttons' texts, right of the status text. Each drag takes the panel 20
    // left and 10 up; its caption bar then ends at its new right edge.
    MoveBy(-2, -249); // onto the drag box, 16 x 16 at (520, 142)
    Press();
    struct Spot {
        const char* what;
        int dx, dy; // from the last place of the cursor
    };
    const Spot spots[] = {
        {"the hint line", 72, 292}, {"beside the radio buttons' texts", 10, -226}, {"right of the status text", 120, 46}};
    int right = 780;
    int top = 70;
    for (const Spot& spot : spots) {
        MoveBy(spot.dx, spot.dy);
        Xdo("mousedown 1");
        Pause(1000);
        Xdo("mousemove_relative -- -20 -10");
        Pause(1000);
        Xdo("mouseup 1");
        right -= 20;
        top -= 10;
        EXPECT_TRUE(WaitFor(shot, 10000, [&](const Shot& s) {
            return IsAmber(s, right - 5, top + 5) && !IsAmber(s, right + 5, top + 5);
        })) << spot.what;
    }

    ASSERT_TRUE(SendCloseRequest("Tamrik"));
    EXPECT_EQ(viewer.Wait(30000), 0);
}

// Share of clearly differing pixels below the status lines in the top-left corner, which the
// frame rate changes from frame to frame.
double ChangedBelowTheStatus(const Shot& a, const Shot& b)
{
    size_t changed = 0, counted = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            if (y < 70 && x < 250)
                continue;
            const unsigned char* p = a.At(x, y);
            const unsigned char* q = b.At(x, y);
            changed += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 60;
            ++counted;
        }
    return static_cast<double>(changed) / counted;
}

TEST_F(WalkThrough, WithDirect3DAUserSeesWhatOpenGLShowsWalksAndF9ChangesNothing)
{
    // The start view with OpenGL, for comparison.
    Shot reference;
    {
        ChildProcess opengl;
        ASSERT_NO_FATAL_FAILURE(StartAndEnterTheLevel(reference, opengl));
        ASSERT_TRUE(SendCloseRequest("Tamrik"));
        EXPECT_EQ(opengl.Wait(30000), 0);
    }
    fs::remove("log.txt");
    // The pointer leaves the place of the closed window, so that it enters the next one.
    Xdo("mousemove 1200 1000");

    UseRenderer("Direct3D");
    Shot shot;
    ASSERT_NO_FATAL_FAILURE(StartAndEnterTheLevel(shot));
    EXPECT_EQ(BestLightLine(shot, font), "light1 off");
    EXPECT_TRUE(PanelShown(shot)) << "the GUI is drawn too";
    // The same rooms and panel in the same places. The texts differ a little by design: this
    // device draws them with its own font rather than the bitmap font's glyphs.
    EXPECT_LT(ChangedBelowTheStatus(reference, shot), 0.06);

    // F9 switches no shader path on this device. F10 first puts the GUI away, held until a
    // frame has surely seen it.
    Key("F10", 1000);
    ASSERT_TRUE(WaitFor(shot, 10000, [](const Shot& s) { return !PanelShown(s); }));
    Shot before;
    ASSERT_TRUE(before.Take());
    Key("F9");
    Pause(300);
    Shot after;
    ASSERT_TRUE(after.Take());
    EXPECT_LT(ChangedBelowTheStatus(before, after), 0.001);

    // The arrow keys walk.
    WalkForward(1000);
    Shot walked;
    ASSERT_TRUE(walked.Take());
    EXPECT_GT(Changed(after, walked), 0.05);

    ASSERT_TRUE(SendCloseRequest("Tamrik"));
    EXPECT_EQ(viewer.Wait(30000), 0);
    const std::string log = ReadFile("log.txt");
    EXPECT_EQ(log.find("Failed"), std::string::npos) << log;
    EXPECT_EQ(log.find("Shader"), std::string::npos) << log;
    EXPECT_NE(log.find(".:: CEngine::Run() finished ::.\r\n\r\n\r\n"), std::string::npos) << log;
}

} // namespace
