// Hostile GUIs counted in units of work: each stops at the bound of its input event or build,
// a handler to blame is switched off, the log keeps within its allowance, and legal handlers run
// to their end as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/log.h"
#include "gui/radio_button.h"
#include "script/xml_easm.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/hostile_guis.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

const char BOUND_LINE[] = "Warning: work of ";
const char INSTRUCTION_LINE[] = "Warning: handler program stopped after ";
const char SWITCHED_OFF[] = " switched off.\r\n";
// Budgets that the hostile GUIs reach in a few steps.
constexpr uint64_t TEST_EVENT_UNITS = 100'000;
constexpr uint64_t TEST_BUILD_UNITS = 2'000'000;

class HostileGUI : public GUITest {};

// A fresh system and GUI for one case of a table, built from xml (with the lowered budgets unless
// the program's own are asked for).
struct Built {
    Built(const std::string& xml, bool logging, bool lowered = true)
        : Built(xml, logging, lowered ? TEST_EVENT_UNITS : CVirtualMachine::EVENT_WORK_UNITS,
                lowered ? TEST_BUILD_UNITS : CVirtualMachine::BUILD_WORK_UNITS)
    {
    }
    Built(const std::string& xml, bool logging, uint64_t eventUnits, uint64_t buildUnits) : system(logging)
    {
        system.vm->SetWorkUnitsForTesting(eventUnits, buildUnits);
        system.mainWindow->width = 800;
        system.mainWindow->height = 600;
        CXMLDocument document;
        document.LoadBytes(xml.data(), xml.size());
        gui.Build(document.root);
    }
    TestSystem system;
    CGUI gui{&system};
};

void Press(CSystem& system)
{
    system.FireMouseButtonDown(0);
    system.FireMouseButtonUp(0);
}

size_t BoundLines(const std::string& log)
{
    return Count(log, BOUND_LINE) + Count(log, INSTRUCTION_LINE);
}

TEST(HostileGUIs, EachStopsAtTheBoundOnceAndItsHandlerIsSwitchedOff)
{
    ScratchDir dir;
    for (const HostileGui& hostile : HostileGuis()) {
        SCOPED_TRACE(hostile.name);
        std::filesystem::remove("log.txt");
        Built run(hostile.xml, true);
        CSystem& system = run.system;
        CGUI& gui = run.gui;
        const bool built = hostile.trigger == Trigger::Build;
        // A build that ran out holds no handler to blame, unless a handler ran into the bound.
        const size_t switchedOff = built && !hostile.buildBlamesAHandler ? 0u : 1u;
        EXPECT_EQ(Count(ReadFile("log.txt"), "Warning: work of the GUI build stopped after 2000000 units.\r\n"),
                  built ? 1u : 0u);
        gui.SetActive(true);
        system.FireMouseMove(0, 0);
        if (hostile.trigger == Trigger::Press)
            Press(system);
        const std::string first = ReadFile("log.txt");
        EXPECT_EQ(BoundLines(first), 1u);
        EXPECT_EQ(Count(first, SWITCHED_OFF), switchedOff);

        // Were the handler still on, it would run into the bound again.
        for (int i = 0; i < 3; ++i) {
            system.FireMouseMove(0, 0);
            Press(system);
        }
        const std::string later = ReadFile("log.txt");
        EXPECT_EQ(BoundLines(later), 1u);
        EXPECT_EQ(Count(later, SWITCHED_OFF), switchedOff);
    }
}

TEST(HostileGUIs, EveryFullSizeFitsTheFileLimit)
{
    for (const HostileGui& hostile : HostileGuis(true)) {
        SCOPED_TRACE(hostile.name);
        EXPECT_LE(hostile.xml.size(), static_cast<size_t>(CXMLDocument::MAX_FILE_BYTES));
    }
}

// Counts the windows of the subtree under top (itself not included) for which pred holds.
template <class Pred>
int CountUnder(CGUI::CWindow* top, Pred pred)
{
    int n = 0;
    std::vector<CGUI::CWindow*> pending(top->children.begin(), top->children.end());
    while (!pending.empty()) {
        CGUI::CWindow* w = pending.back();
        pending.pop_back();
        n += pred(w) ? 1 : 0;
        pending.insert(pending.end(), w->children.begin(), w->children.end());
    }
    return n;
}

TEST(HostileGUIs, WorkStopsAtOnceWhenItsSpanIsSpent)
{
    ScratchDir dir;
    auto visible = [](CGUI::CWindow* w) { return w->visible; };
    auto any = [](CGUI::CWindow*) { return true; };
    auto longText = [](CGUI::CWindow* w) { return w->text.size() == 61404; };
    const struct {
        const char* name;
        std::string xml;
        const char* top; // the window whose subtree is counted; "" for the last top-level window, null
                         // for the top-level windows
        std::function<bool(CGUI::CWindow*)> done;
        int total;
    } cases[] = {
        {"a wide window shown", ShowsAWideWindow(3500, 10), "big", visible, 3500},
        {"a window shown whose first child's focus handler spends the span",
         HostileLabel(Event("OnMouseButtonDown", HandlerText().Call(exports::SET_VISIBLE, "big", {1}).Text()),
                      "<label name=\"big\"><label>" + Event("OnGainFocus", "jmp 0") + "</label>" + Labels(100) +
                          "</label>"),
         "big", visible, 101},
        {"texts copied", CopiesLongTextsIntoManyWindows(200), "holder", longText, 200},
        {"children built", ManyShownChildrenLate(20000, 100), "", any, 20000},
        {"dialogs built", NestedShownDialogs(2000), "", [](CGUI::CWindow* w) { return w->children.size() == 5; },
         2000 - 1},
        {"top-level dialogs built", EmptyDialogs(2000), nullptr, any, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Built built(c.xml, false);
        CSystem& system = built.system;
        CGUI& gui = built.gui;
        gui.SetActive(true);
        system.FireMouseMove(0, 0);
        Press(system);
        int done = static_cast<int>(gui.Windows().size());
        if (c.top) {
            CGUI::CWindow* top = *c.top ? static_cast<CGUI::CWindow*>(system.vm->registry.at(c.top)) : gui.Windows().back();
            done = CountUnder(top, c.done);
        }
        EXPECT_GT(done, 0);
        EXPECT_LT(done, c.total);
    }
}

TEST_F(HostileGUI, EveryStepOfAnEventIsChargedForWhatItTouches)
{
    Build("<gui>" + Labels(1000) + "<label name=\"wide\">" + Event("OnMouseButtonDown", "halt") + Labels(1000) +
          "</label>" + Repeat("<dialog>", 99) + "<dialog name=\"deepest\"/>" + Repeat("</dialog>", 99) + "</gui>");
    const std::string tokens = Repeat("inc r1 ", 500);
    // Over "wide" and its children once they are shown and moved.
    MoveTo(1, 1);
    // At least a unit for each thing touched; what each costs is the bench's to show.
    const struct {
        const char* what;
        std::function<void()> step;
        uint64_t atLeast;
    } cases[] = {
        {"showing 1,000 windows", [&] { Window("wide")->SetVisible(true); }, 1000},
        {"moving them", [&] { Window("wide")->Translate(1, 1); }, 1000},
        {"hit-testing down through the 1,000 shown", [&] { gui.HitTest(); }, 1000},
        {"bringing a window forward", [&] { gui.BringToFront(Window("wide")); }, 1},
        {"a focus walk up 100 dialogs", [&] { Window("deepest")->LoseFocusUpward(0, 0); }, 100},
        {"switching the GUI on and off", [&] { gui.SetActive(true); gui.SetActive(false); }, 2 * INPUT_EVENT_COUNT},
        // A unit for each 64 bytes of the memory cleared and the 4,000 logged.
        {"loading a handler", [&] { Window("wide")->OnMouseButtonDown(0, 0); }, MACHINE_MEMORY_SIZE / 64},
        {"a log line of 4,000 bytes", [&] { system.log->Write(std::string(4000, 'x').c_str()); }, 4000 / 64},
        {"assembling 1,000 tokens", [&] { delete CXMLeasm::Assemble(tokens.c_str(), system.vm); }, 1000},
        {"building 1,000 windows", [&] { Build("<gui>" + Labels(1000) + "</gui>"); }, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSystem::WorkScope work(&system);
        const uint64_t before = system.vm->UnitsLeft();
        c.step();
        EXPECT_GE(before - system.vm->UnitsLeft(), c.atLeast);
        EXPECT_FALSE(system.vm->WorkSpent());
    }
}

// The units that step spends of an event's span on a fresh GUI built from xml.
uint64_t UnitsOf(const std::string& xml, const std::function<void(Built&)>& step)
{
    Built built(xml, false, false);
    CSystem::WorkScope work(&built.system);
    const uint64_t before = built.system.vm->UnitsLeft();
    step(built);
    EXPECT_FALSE(built.system.vm->WorkSpent());
    return before - built.system.vm->UnitsLeft();
}

CGUI::CWindow* Named(Built& built, const char* name)
{
    return static_cast<CGUI::CWindow*>(built.system.vm->registry.at(name));
}

TEST(HostileGUIs, EveryWalkIsChargedForEachWindowItTouches)
{
    ScratchDir dir;
    const std::string shown = " position=\"0x0\" size=\"800x600\" visible=\"true\"";
    const struct {
        const char* what;
        std::function<std::string(int)> xml;
        std::function<void(Built&)> step;
    } cases[] = {
        {"moving a window and its children", [](int n) { return "<gui><label name=\"w\">" + Labels(n) + "</label></gui>"; },
         [](Built& b) { Named(b, "w")->Translate(1, 1); }},
        {"a hit test that finds nothing", [](int n) { return "<gui>" + Labels(n) + "</gui>"; },
         [](Built& b) { EXPECT_EQ(b.gui.HitTest(), nullptr); }},
        {"a hit test that finds the last of the shown children",
         [&](int n) { return "<gui><label name=\"w\"" + shown + ">" + Labels(n, shown) + "</label></gui>"; },
         [](Built& b) { EXPECT_NE(b.gui.HitTest(), nullptr); }},
        {"a checked index asked of a group of plain children",
         [](int n) { return "<gui><radiobuttongroup name=\"g\">" + Labels(n) + "</radiobuttongroup></gui>"; },
         [](Built& b) { EXPECT_EQ(dynamic_cast<CGUI::CRadioButtonGroup*>(Named(b, "g"))->GetCheckedIndex(), -1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPerItem([&](int n) { return UnitsOf(c.xml(n), c.step); }, 50);
    }
    // Labels of no attributes but their element name, which is shorter than a unit's bytes.
    ExpectPerItem([](int n) { return UnitsOf("<gui/>", [n](Built& b) {
                      CXMLDocument document;
                      const std::string xml = "<gui>" + Labels(n) + "</gui>";
                      document.LoadBytes(xml.data(), xml.size());
                      b.gui.Build(document.root);
                  }); },
                  50);
    // Every attribute's bytes, whether the window reads it or not.
    ExpectPerItem([](int blocks) { return UnitsOf("<gui/>", [blocks](Built& b) {
                      CXMLDocument document;
                      const std::string xml = "<gui><label x=\"" +
                          std::string(blocks * CVirtualMachine::BYTES_PER_UNIT, 'a') + "\"/></gui>";
                      document.LoadBytes(xml.data(), xml.size());
                      b.gui.Build(document.root);
                  }); },
                  4);
}

TEST(HostileGUIs, AHandlerRunInsideACallCostsTheRunItPutsAsideAndItsOwnLoad)
{
    ScratchDir dir;
    auto press = [](const std::string& targetEvents) {
        HandlerText h;
        h.Call(exports::SET_VISIBLE, "target", {1});
        return UnitsOf(HostileLabel(Event("OnMouseButtonDown", h.Text()), "<label name=\"target\">" + targetEvents + "</label>"),
                       [](Built& b) { Named(b, "hostile")->OnMouseButtonDown(0, 0); });
    };
    EXPECT_GE(press(Event("OnGainFocus", "halt")) - press(""),
              CVirtualMachine::UnitsOfBytes(MACHINE_MEMORY_SIZE + CVirtualMachine::STACK_CAPACITY * sizeof(uint32_t)) +
                  CVirtualMachine::UnitsOfBytes(MACHINE_MEMORY_SIZE));
}

// A chain of labels: "top", n plain ones, then "leaf"; the ends react to the focus (and the plain
// ones too when react), each reaction a halt.
std::string FocusChain(int n, bool react)
{
    const std::string handlers = Event("OnGainFocus", "halt") + Event("OnLoseFocus", "halt");
    return "<gui><label name=\"top\">" + handlers + Repeat("<label>" + (react ? handlers : ""), n) +
           "<label name=\"leaf\">" + handlers + "</label>" + Repeat("</label>", n) + "</label></gui>";
}

TEST(HostileGUIs, FocusWalksAreChargedForEveryWindowOnTheirWay)
{
    ScratchDir dir;
    auto gain = [](Built& b) { Named(b, "leaf")->GainFocusUpward(0, 0); };
    auto lose = [](Built& b) { Named(b, "leaf")->LoseFocusUpward(0, 0); };
    // Looking up the focus ancestor through plain windows: a price of its own for each.
    const uint64_t none = UnitsOf(FocusChain(0, false), gain);
    const uint64_t step = (UnitsOf(FocusChain(50, false), gain) - none) / 50;
    ExpectPerItem([&](int n) { return UnitsOf(FocusChain(n, false), gain); }, 50);
    ExpectPerItem([&](int n) { return UnitsOf(FocusChain(n, false), lose); }, 50);
    // A failed assembly leaves an empty slot empty: what the lookups remember stays good.
    std::string withEmpty = FocusChain(50, false);
    withEmpty.insert(withEmpty.size() - 6, "<label name=\"x\"/>");
    auto again = [&](bool failed) {
        return UnitsOf(withEmpty, [&](Built& b) {
            gain(b);
            if (failed)
                Named(b, "x")->SetHandler(ON_GAIN_FOCUS, nullptr);
            gain(b);
        });
    };
    EXPECT_EQ(again(true), again(false));
    // A window that reacts is looked up, notified and runs its handler.
    const uint64_t handler = UnitsOf(FocusChain(0, false), [](Built& b) { Named(b, "leaf")->OnGainFocus(0, 0); });
    ExpectPerItem([&](int n) { return UnitsOf(FocusChain(n, true), gain); }, 20, step + handler);
    ExpectPerItem([&](int n) { return UnitsOf(FocusChain(n, true), lose); }, 20, step + handler);
    // Showing a window's children: each is visited on the way down and up, brings its top-level
    // window forward, and has its focus ancestor looked up from itself and from its parent.
    ExpectPerItem([](int n) { return UnitsOf("<gui><label name=\"w\">" + Labels(n) + "</label></gui>",
                                             [](Built& b) { Named(b, "w")->SetVisible(true); }); },
                  50, 2 * step);
}

TEST(HostileGUIs, TheRunWithTheMostUnitsOfItsOwnIsBlamedNotTheNestedOnesThatEndedBeforeIt)
{
    ScratchDir dir;
    // b and c each spend about 400,000 units and end; d runs without end and has the rest of the
    // press's million, more than the press's own handler. A move before shows e, whose 300,000
    // units are nested in the move's own run.
    auto spends = [](uint32_t passes) {
        HandlerText h;
        SetLarge(h.Code("set r7 0"), "r8", passes);
        const uint32_t loop = h.Here();
        return h.Code({"inc r7", "cmp r7 r8"}).Jump(loop, "jmp_lt").Text();
    };
    HandlerText press;
    press.Call(exports::SET_VISIBLE, "b", {1}).Call(exports::SET_VISIBLE, "c", {1}).Call(exports::SET_VISIBLE, "d", {1});
    HandlerText move;
    move.Call(exports::SET_VISIBLE, "e", {1});
    const std::string focus = "OnGainFocus";
    Built built(HostileLabel(Event("OnMouseButtonDown", press.Text()) + Event("OnMouseMove", move.Text()),
                             "<label name=\"b\">" + Event(focus, spends(133000)) + "</label><label name=\"c\">" +
                                 Event(focus, spends(133000)) + "</label><label name=\"d\">" + Event(focus, "jmp 0") +
                                 "</label><label name=\"e\">" + Event(focus, spends(100000)) + "</label>"),
                true, 1'000'000, TEST_BUILD_UNITS);
    built.gui.SetActive(true);
    built.system.FireMouseMove(0, 0);
    built.system.FireMouseButtonDown(0);
    const std::string log = ReadFile("log.txt");
    EXPECT_EQ(Count(log, "Warning: work of this event stopped after 1000000 units.\r\n"), 1u);
    EXPECT_EQ(Count(log, SWITCHED_OFF), 1u);
    EXPECT_EQ(Count(log, "Warning: OnGainFocus handler of window 'd' switched off.\r\n"), 1u);
    EXPECT_EQ(Named(built, "d")->handlers[ON_GAIN_FOCUS], nullptr);
    for (const char* name : {"b", "c", "e"})
        EXPECT_NE(Named(built, name)->handlers[ON_GAIN_FOCUS], nullptr) << name;
    EXPECT_NE(Named(built, "hostile")->handlers[ON_MOUSE_BUTTON_DOWN], nullptr);
}

TEST_F(HostileGUI, ACallIsChargedForTheBytesOfItsArguments)
{
    // The same handler twice, passing the 61 KB name or the empty string behind it.
    auto handler = [](int at) {
        HandlerText h;
        WriteLongName(h.Find(exports::SET_TEXT_C, "hostile")).Code({"set r1 " + std::to_string(at), "m2xm r1 r2", "push r2"});
        return h.Invoke().Text();
    };
    Build(HostileLabel(Event("OnMouseButtonDown", handler(4096)) + Event("OnMouseButtonUp", handler(65500))));
    uint64_t used[2];
    for (int event = 0; event < 2; ++event) {
        CSystem::WorkScope work(&system);
        const uint64_t before = system.vm->UnitsLeft();
        if (event == 0)
            Window("hostile")->OnMouseButtonDown(0, 0);
        else
            Window("hostile")->OnMouseButtonUp(0, 0);
        used[event] = before - system.vm->UnitsLeft();
    }
    EXPECT_GE(used[0] - used[1], CVirtualMachine::UnitsOfBytes(61404));
}

TEST_F(HostileGUI, TheSwitchedOffLineNamesAtMostSixtyFourCharactersOfTheWindowAndTheEvent)
{
    const struct {
        std::string name, logged;
    } cases[] = {
        {"hostile", "hostile"},
        {std::string(64, 'N'), std::string(64, 'N')},
        {std::string(65, 'N') + "tail", std::string(64, 'N')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        std::filesystem::remove("log.txt");
        Built built("<gui><label name=\"" + c.name + "\" size=\"800x600\" visible=\"true\">" +
                        Event("OnMouseMove", "jmp 0") + "</label></gui>",
                    true);
        CSystem& system = built.system;
        CGUI& gui = built.gui;
        gui.SetActive(true);
        system.FireMouseMove(0, 0);
        EXPECT_EQ(ReadFile("log.txt").substr(ReadFile("log.txt").find("Warning")),
                  "Warning: work of this event stopped after 100000 units.\r\n"
                  "Warning: OnMouseMove handler of window '" + c.logged + "' switched off.\r\n");
        EXPECT_EQ(gui.Windows().front()->handlers[ON_MOUSE_MOVE], nullptr);
    }
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
    // The bound's line and the switch-off line come after it, past the allowance.
    EXPECT_LT(log.find(leftOut), log.find(BOUND_LINE));
    EXPECT_LT(log.find(BOUND_LINE), log.find(SWITCHED_OFF));
    EXPECT_EQ(Count(log, SWITCHED_OFF), 1u);
    EXPECT_EQ(Window("hostile")->handlers[ON_MOUSE_BUTTON_DOWN], nullptr);

    // The next event has its own allowance.
    system.FireMouseButtonUp(0);
    gui.SetActive(false);
    EXPECT_EQ(Log().substr(log.size()), "\r\n\r\nvoid CGUI::SetActive(bool status) is invoked!\r\n\r\n");
}

// count iterations of a three-instruction loop in r7, after set-up of four instructions; with halt
// the handler executes 4 + 3 * count + 1 instructions.
HandlerText& CountTo(HandlerText& h, int a, int b)
{
    h.Code({"set r7 0", "set r8 " + std::to_string(a), "set r12 " + std::to_string(b), "mul r8 r12 r8"});
    const uint32_t loop = h.Here();
    return h.Code({"inc r7", "cmp r7 r8"}).Jump(loop, "jmp_lt");
}

TEST_F(HostileGUI, LegalHandlersRunToTheirEndWithTheirLogLinesWhateverTheirNativeCallsCost)
{
    // 4649 * 3585 iterations make the run exactly 50,000,000 instructions.
    const struct {
        const char* name;
        int extra;     // instructions before the count
        int texts;     // 61 KB texts set before it
        int a, b;
        size_t boundLines;
    } cases[] = {
        {"the whole instruction budget", 0, 0, 4649, 3585, 0},
        {"one instruction past it", 1, 0, 4649, 3585, 1},
        {"20 M instructions after costly calls", 0, 3, 2222, 3000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandlerText h;
        for (int i = 0; i < c.extra; ++i)
            h.Code("set r5 0");
        if (c.texts > 0) {
            WriteLongName(h.Find(exports::SET_TEXT_C, "hostile")).Code("m2xm r1 r2");
            for (int i = 0; i < c.texts; ++i)
                h.Code("push r2").Invoke();
        }
        CountTo(h, c.a, c.b);
        std::filesystem::remove("log.txt");
        Built built(HostileLabel(Event("OnMouseButtonDown", h.Text())), true, false);
        CSystem& system = built.system;
        CGUI& gui = built.gui;
        gui.SetActive(true);
        system.FireMouseMove(0, 0);
        system.FireMouseButtonDown(0);
        const std::string log = ReadFile("log.txt");
        // One instruction past the budget is the halt.
        EXPECT_EQ(Reg(*system.vm, 7), c.a * c.b);
        EXPECT_EQ(Count(log, INSTRUCTION_LINE), c.boundLines);
        EXPECT_EQ(Count(log, BOUND_LINE), 0u);
        EXPECT_EQ(Count(log, "\tncall - "), static_cast<size_t>(c.texts));
        EXPECT_EQ(gui.Windows().front()->text.size(), c.texts ? 61404u : 0u);
    }
}

TEST(HostileGUIs, AHandlerRunsWholeAfterItsWidgetsOwnWorkAndAfterAnotherWasSwitchedOff)
{
    ScratchDir dir;
    // The whole instruction budget, in an event with room for no more than its loading and the
    // hit test of the group's 2,002 windows and a little: less than a unit for each sibling of the
    // radio button.
    constexpr int COUNT = 30000;
    constexpr uint64_t LIMIT = 4 + 3 * COUNT + 1;
    constexpr uint64_t EVENT = LIMIT + CVirtualMachine::UnitsOfBytes(MACHINE_MEMORY_SIZE) +
                               2002 * CGUI::WINDOW_HIT_TEST_UNITS + 1000;
    HandlerText whole;
    const std::string counts = CountTo(whole, 100, COUNT / 100).Text();
    const std::string shown = " position=\"0x0\" size=\"800x600\" visible=\"true\"";
    const struct {
        const char* what;
        std::string xml;
        std::function<void(CSystem&)> events; // the last one runs the handler
        size_t switchedOff;                   // by the events before
    } cases[] = {
        {"a release on a radio button among 2,000 hidden siblings",
         "<gui><radiobuttongroup" + shown + "><radiobutton" + shown + ">" + Event("OnMouseButtonUp", counts) +
             "</radiobutton>" + Labels(2000) + "</radiobuttongroup></gui>",
         [](CSystem& s) {
             s.FireMouseMove(0, 0);
             Press(s);
         },
         0},
        {"a move after the press handler of the same window was switched off",
         HostileLabel(Event("OnMouseButtonDown", "jmp 0") + Event("OnMouseMove", counts)),
         [](CSystem& s) {
             Press(s);
             s.FireMouseMove(0, 0);
         },
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove("log.txt");
        Built built(c.xml, true, EVENT, TEST_BUILD_UNITS);
        built.system.vm->SetInstructionLimitForTesting(LIMIT);
        built.gui.SetActive(true);
        c.events(built.system);
        EXPECT_EQ(Reg(*built.system.vm, 7), COUNT);
        const std::string log = ReadFile("log.txt");
        EXPECT_EQ(BoundLines(log), c.switchedOff);
        EXPECT_EQ(Count(log, SWITCHED_OFF), c.switchedOff);
    }
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
