// Hostile GUIs on a fake clock that advances at every reading: each stops at the bound of its
// input event or build, its handler is switched off, and the log keeps within its allowance.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/log.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/hostile_guis.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

const char BOUND_LINE[] = "Warning: handler program stopped after ";
const char SWITCHED_OFF[] = " switched off.\r\n";

class HostileGUI : public GUITest {
protected:
    HostileGUI() { system.counterStep = 1; }
};

void Press(CSystem& system)
{
    system.FireMouseButtonDown(0);
    system.FireMouseButtonUp(0);
}

TEST(HostileGUIs, EachStopsAtTheBoundOnceAndItsHandlerIsSwitchedOff)
{
    ScratchDir dir;
    for (const HostileGui& hostile : HostileGuis()) {
        SCOPED_TRACE(hostile.name);
        std::filesystem::remove("log.txt");
        TestSystem system(true);
        system.counterStep = 1;
        system.mainWindow->width = 800;
        system.mainWindow->height = 600;
        CGUI gui(&system);
        CXMLDocument document;
        document.LoadBytes(hostile.xml.data(), hostile.xml.size());
        gui.Build(document.root);
        gui.SetActive(true);
        system.FireMouseMove(0, 0);
        if (hostile.trigger == Trigger::Press)
            Press(system);
        const std::string first = ReadFile("log.txt");
        EXPECT_EQ(Count(first, BOUND_LINE), 1u);
        EXPECT_EQ(Count(first, SWITCHED_OFF), 1u);

        // Were the handler still on, it would run into the bound again.
        for (int i = 0; i < 3; ++i) {
            system.FireMouseMove(0, 0);
            Press(system);
        }
        const std::string later = ReadFile("log.txt");
        EXPECT_EQ(Count(later, BOUND_LINE), 1u);
        EXPECT_EQ(Count(later, SWITCHED_OFF), 1u);
    }
}

TEST_F(HostileGUI, TheSwitchedOffLineNamesTheWindowAndTheEvent)
{
    Build(HostileLabel(Event("OnMouseMove", "jmp 0")));
    gui.SetActive(true);
    system.FireMouseMove(0, 0);
    EXPECT_EQ(Count(Log(), "Warning: handler program stopped after 200 ms of work.\r\n"), 1u);
    EXPECT_EQ(Count(Log(), "Warning: OnMouseMove handler of window 'hostile' switched off.\r\n"), 1u);
    EXPECT_EQ(Window("hostile")->handlers[ON_MOUSE_MOVE], nullptr);
}

TEST_F(HostileGUI, TheLogOfOneEventStopsAtItsAllowanceWithOneLine)
{
    // Each ndsa writes the 61 KB name.
    Build(HostileGuis()[1].xml);
    gui.SetActive(true);
    const size_t before = Log().size();
    system.FireMouseButtonDown(0);
    const std::string log = Log();
    const std::string leftOut = "\r\nWarning: further log lines of this event were left out.\r\n";
    EXPECT_LE(log.size() - before, CLog::MAX_SPAN_BYTES);
    EXPECT_GT(log.size() - before, CLog::MAX_SPAN_BYTES - 70 * 1024);
    EXPECT_EQ(Count(log, leftOut), 1u);
    // The bound's lines come after it.
    EXPECT_LT(log.find(leftOut), log.find(BOUND_LINE));
    EXPECT_NE(log.find(SWITCHED_OFF), std::string::npos);

    // The next event has its own allowance.
    system.FireMouseButtonUp(0);
    gui.SetActive(false);
    EXPECT_EQ(Log().substr(log.size()), "\r\n\r\nvoid CGUI::SetActive(bool status) is invoked!\r\n\r\n");
}

TEST_F(HostileGUI, TheListenerListsKeepTheirLengthThroughTenThousandSwitches)
{
    Build(HostileLabel(Event("OnMouseButtonDown", SetActiveToggles(10000))));
    gui.SetActive(true);
    // A listener behind the GUI's in the list being fired sees what the handler left.
    struct Observer {
        CSystem* system;
        size_t seen = 0;
        void Handle(int32_t, int32_t) { seen = system->ListenerCount(INPUT_MOUSE_BUTTON_DOWN); }
    } observer{&system};
    system.AddListener(INPUT_MOUSE_BUTTON_DOWN, MakeListener<&Observer::Handle>(&observer));
    system.counterStep = 0;
    system.FireMouseButtonDown(0);
    EXPECT_EQ(R(10), 10000);
    EXPECT_EQ(observer.seen, 2u);
    for (int kind = 0; kind < INPUT_EVENT_COUNT; ++kind)
        EXPECT_EQ(system.ListenerCount(static_cast<InputEvent>(kind)), kind == INPUT_MOUSE_BUTTON_DOWN ? 2u : 1u);
}

TEST_F(HostileGUI, AHandlerLongerThanTheMemoryIsRefusedAndNothingRuns)
{
    std::string longText;
    for (int i = 0; i < 17500; ++i)
        longText += "inc r7 ";
    // A run of the machine without a program loaded would go on behind this halt.
    Build(HostileLabel(Event("OnMouseMove", "halt set r7 1 halt") + Event("OnMouseButtonDown", longText)));
    const std::string log = Log();
    EXPECT_EQ(Count(log, "[XMLeasm] Error: program longer than 65536 bytes.\r\n"), 1u);
    EXPECT_EQ(Count(log, "[XMLParser] Warning: compilation of OnMouseButtonDown event handler failed.\r\n"), 1u);
    EXPECT_EQ(Window("hostile")->handlers[ON_MOUSE_BUTTON_DOWN], nullptr);

    Window("hostile")->OnMouseMove(0, 0);
    system.vm->registers[7] = 0;
    Window("hostile")->OnMouseButtonDown(0, 0);
    EXPECT_EQ(R(7), 0);

    // Handed to the window by other means, such a program is not run either.
    Window("hostile")->SetHandler(ON_MOUSE_BUTTON_DOWN, Raw(std::vector<uint8_t>(65540, 7)).release());
    Window("hostile")->OnMouseMove(0, 0);
    system.vm->registers[7] = 0;
    Window("hostile")->OnMouseButtonDown(0, 0);
    EXPECT_EQ(R(7), 0);
}

} // namespace
