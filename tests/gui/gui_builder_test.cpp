// Building the GUI from XML: creation order, the registry, attributes and handler slots.
#include <gtest/gtest.h>

#include "gui/button.h"
#include "tests/gui/gui_test_support.h"

using namespace kestrova_test;
using Tamrik::CGUI;

namespace {

using GUIBuilder = GUITest;

std::vector<std::string> TopLevelTexts(const CGUI& gui)
{
    std::vector<std::string> texts;
    for (CGUI::CWindow* w : gui.Windows())
        texts.push_back(w->text);
    return texts;
}

TEST_F(GUIBuilder, WindowsAreMadeLevelByLevelAndTheShallowerNamesakeWins)
{
    Build(R"(<gui>
        <label text="a"><label name="x" text="a-deep"><label name="y" text="a-deeper"/></label></label>
        <button name="y" text="b"><event name="OnMouseButtonUp">halt</event></button>
        <label name="x" text="c"/>
        <unknown name="z"><label name="z" text="never"/></unknown>
        <event name="OnGainFocus">halt</event>
        <checkbox text="d"/>
    </gui>)");
    EXPECT_EQ(TopLevelTexts(gui), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Window("x")->text, "c");
    EXPECT_EQ(Window("y")->text, "b");
    EXPECT_NE(dynamic_cast<CGUI::CButton*>(Window("y")), nullptr);
    EXPECT_EQ(Window("z"), nullptr);
    // The first window made holds the empty name.
    EXPECT_EQ(Window("")->text, "a");
    EXPECT_EQ(Window("x")->parent, nullptr);
    ASSERT_EQ(gui.Windows().front()->children.size(), 1u);
    EXPECT_EQ(gui.Windows().front()->children[0]->children[0]->text, "a-deeper");
    EXPECT_NE(Log().find("[XMLParser] Warning: unbound event handler found.\r\n"), std::string::npos);
    EXPECT_NE(Window("y")->handlers[Tamrik::ON_MOUSE_BUTTON_UP], nullptr);
}

TEST_F(GUIBuilder, ShowingAWindowPutsItsTopLevelWindowInFrontOnce)
{
    Build(R"(<gui>
        <label text="a" visible="true"/>
        <label text="b"><label text="b1" visible="true"/></label>
        <label text="c" visible="true"/>
        <label text="d" visible="TRUE"/>
    </gui>)");
    // Pass 1 lists a, c by showing them and b, d behind them; then b's child brings b to the back.
    EXPECT_EQ(TopLevelTexts(gui), (std::vector<std::string>{"a", "c", "d", "b"}));
    EXPECT_TRUE(gui.Windows().front()->visible);
    EXPECT_FALSE(gui.Windows().back()->visible);
    EXPECT_TRUE(gui.Windows().back()->children[0]->visible);
    EXPECT_FALSE(gui.Windows().back()->draggable);
}

TEST_F(GUIBuilder, AttributesAreScannedAsTheirFormatsSay)
{
    Build(R"(<gui>
        <label name="p" position="10x20" size="30x40"><label name="c" position="5x5" size="7"/></label>
        <label name="s" size="50"/>
        <label name="t" text_color="10, 20,30" text_layout="RIGHT_DOWN"/>
        <label name="u" text_color="256,-1,7,9" text_layout="right_down"/>
        <label name="v" position="-3x4 and more" draggable="true"/>
        <label name="w" draggable="True"/>
    </gui>)");
    EXPECT_EQ(RectOf(Window("p")), (Rect{10, 20, 40, 60}));
    // One number: the height comes from the position pair.
    EXPECT_EQ(RectOf(Window("c")), (Rect{15, 25, 22, 30}));
    EXPECT_EQ(RectOf(Window("s")), (Rect{0, 0, 50, 0}));
    const unsigned char* t = Window("t")->GetTextColor();
    EXPECT_EQ((std::vector<int>{t[0], t[1], t[2]}), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(Window("t")->textLayout, Tamrik::RIGHT_DOWN);
    const unsigned char* u = Window("u")->GetTextColor();
    EXPECT_EQ((std::vector<int>{u[0], u[1], u[2]}), (std::vector<int>{0, 255, 7}));
    EXPECT_EQ(Window("u")->textLayout, Tamrik::CENTER);
    EXPECT_EQ(RectOf(Window("v")), (Rect{-3, 4, 61, 68}));
    EXPECT_TRUE(Window("v")->draggable);
    EXPECT_FALSE(Window("w")->draggable);
    std::string log = Log();
    EXPECT_NE(log.find("\r\n\ttext_layout = right_down.\r\n"), std::string::npos);
    EXPECT_NE(log.find("\r\n\ttext_color = 10, 20,30.\r\n"), std::string::npos);
}

TEST_F(GUIBuilder, ALaterEventReplacesTheEarlierAndAFailedOneLeavesTheSlotEmpty)
{
    Build(R"(<gui><label name="a">
        <event name="OnMouseButtonDown">set r1 1 halt</event>
        <event name="OnMouseButtonDown">set r1 2 halt</event>
        <event name="OnMouseButtonUp">set r1 1 halt</event>
        <event name="OnMouseButtonUp">bogus r1</event>
        <event name="OnNothing">halt</event>
        <event>halt</event>
    </label></gui>)");
    CGUI::CWindow* a = Window("a");
    a->OnMouseButtonDown(0, 0);
    EXPECT_EQ(R(1), 2);
    EXPECT_EQ(a->handlers[Tamrik::ON_MOUSE_BUTTON_UP], nullptr);
    int filled = 0;
    for (auto* h : a->handlers)
        filled += h != nullptr;
    EXPECT_EQ(filled, 1);
    EXPECT_NE(Log().find("[XMLParser] Warning: compilation of OnMouseButtonUp event handler failed.\r\n"),
              std::string::npos);
}

TEST_F(GUIBuilder, ShowingAWindowRunsTheFocusHandlersItsAncestorsHaveByThen)
{
    Build(R"(<gui><label name="p">
        <label name="a" visible="true"/>
        <event name="OnGainFocus">inc r5 halt</event>
        <label><label name="b" visible="true"/></label>
    </label></gui>)");
    EXPECT_EQ(R(5), 1); // b, not a: p had no handler when a was shown
    system.vm->registers[5] = 0;
    Window("a")->SetVisible(true);
    EXPECT_EQ(R(5), 1);
}

TEST_F(GUIBuilder, AFileThatGivesNoWindowLeavesTheGUIEmptyAndSaysSoOnce)
{
    const std::string warning = "[XMLParser] Warning: no window built from gui/gui.xml.\r\n";
    struct Case {
        const char* what;
        const char* xml; // null: no file
    };
    const Case cases[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"text only", "just text, no element"},
        {"nothing usable", "<gui><unknown><label/></unknown><event name=\"OnMouseMove\">halt</event></gui>"},
    };
    std::filesystem::create_directory("gui");
    for (const Case& c : cases) {
        std::filesystem::remove("gui/gui.xml");
        std::filesystem::remove("log.txt");
        if (c.xml)
            WriteFile("gui/gui.xml", c.xml);
        gui.Load();
        EXPECT_TRUE(gui.Windows().empty()) << c.what;
        // Once, as the last line.
        const std::string log = Log();
        EXPECT_EQ(log.find(warning), log.size() - warning.size()) << c.what << ": " << log;
    }
    std::filesystem::remove("log.txt");
    WriteFile("gui/gui.xml", "<gui><label/></gui>");
    gui.Load();
    EXPECT_EQ(gui.Windows().size(), 1u);
    EXPECT_EQ(Log(), "");
}

TEST_F(GUIBuilder, AFileLargerThanFourMebibytesIsRefusedWholeWithItsLines)
{
    std::filesystem::create_directory("gui");
    const std::string xml = "<gui><label/></gui>";
    const struct {
        size_t size;
        size_t windows;
    } cases[] = {{Tamrik::CXMLDocument::MAX_FILE_BYTES, 1}, {Tamrik::CXMLDocument::MAX_FILE_BYTES + 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::filesystem::remove("log.txt");
        WriteFile("gui/gui.xml", xml + std::string(c.size - xml.size(), ' '));
        CGUI fresh(&system);
        testing::internal::CaptureStderr();
        fresh.Load();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(fresh.Windows().size(), c.windows);
        if (c.windows == 0) {
            EXPECT_EQ(Log(), "[XMLParser] Error: gui/gui.xml is larger than 4194304 bytes; no window built.\r\n");
            EXPECT_EQ(err, "gui/gui.xml is larger than 4194304 bytes; no window built.\n");
        } else {
            EXPECT_EQ(err, "");
        }
    }
}

TEST_F(GUIBuilder, TheWindowsTextsTogetherStayUnderTheirAllowance)
{
    gui.textByteLimit = 100000;
    // Three texts of 30,000 bytes fit, the fourth and fifth do not.
    const std::string text(30000, 't');
    std::string xml = "<gui>";
    for (int i = 0; i < 5; ++i)
        xml += "<label name=\"l" + std::to_string(i) + "\" text=\"" + text + "\"/>";
    Build(xml + "</gui>");
    const std::string refused = "Warning: SetText refused: the windows' texts would pass 64 MiB.\r\n";
    EXPECT_EQ(Count(Log(), refused), 2u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Window("l" + std::to_string(i))->text.size(), i < 3 ? 30000u : 0u) << i;
    // A text set short gives its memory back; one set within what it holds never grows the count.
    Window("l0")->SetText("");
    Window("l1")->SetText(std::string(20000, 's'));
    Window("l3")->SetText(text);
    EXPECT_EQ(Window("l3")->text, text);
    Window("l4")->SetText(text);
    EXPECT_EQ(Count(Log(), refused), 3u);
    EXPECT_EQ(Window("l4")->text, "");
}

} // namespace
