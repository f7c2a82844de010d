// Native calls: handler programs that find the program's exported methods and registered objects
// by name and call them, the words that stand for strings and texts, and the checks of ncall.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "script/export_table.h"
#include "tests/script/script_test_support.h"
#include "tests/support/test_paths.h"

using namespace kestrova_test;
using Tamrik::CVirtualMachine;
using Tamrik::Export;

namespace {

// A stand-in for a GUI window with methods of every argument and result kind.
struct FakeWindow {
    virtual ~FakeWindow() = default;

    void SetText(const char* t) { text = t; }
    void SetTextRef(const std::string& t) { text = t; }
    const std::string& GetText() { return text; }
    void SetTextColor(unsigned char r, unsigned char g, unsigned char b)
    {
        colour[0] = r;
        colour[1] = g;
        colour[2] = b;
    }
    const unsigned char* GetTextColor() { return colour; }
    void SetPosition(int px, int py)
    {
        x = px;
        y = py;
    }
    void SetShown(bool v) { shown = v; }
    bool IsShown() { return shown; }
    int Count() { return ++calls; }
    // Like a window event: runs this window's handler on the shared machine, nested in the caller's.
    void Fire()
    {
        ++fired;
        if (handler) {
            vm->LoadProgram(handler.get());
            vm->Run();
        }
    }

    std::string text;
    unsigned char colour[3] = {255, 255, 255};
    int x = 0, y = 0;
    bool shown = false;
    int calls = 0;
    int fired = 0;
    Program handler;
    CVirtualMachine* vm = nullptr;
};

struct FakeCheckBox : FakeWindow {
    bool IsChecked() { return checked; }
    bool checked = true;
};

const Tamrik::ExportRow FAKE_ROWS[] = {
    Export<&FakeWindow::SetText>("SetText", 16),
    Export<&FakeWindow::SetTextRef>("SetTextRef", 16),
    Export<&FakeWindow::GetText>("GetText", 16),
    Export<&FakeWindow::SetTextColor>("SetTextColor", 16),
    Export<&FakeWindow::GetTextColor>("GetTextColor", 16),
    Export<&FakeWindow::SetPosition>("SetPosition", 16),
    Export<&FakeWindow::SetShown>("SetShown", 16),
    Export<&FakeWindow::IsShown>("IsShown", 16),
    Export<&FakeWindow::Count>("Count", 16),
    Export<&FakeWindow::Fire>("Fire", 16),
    Export<&FakeCheckBox::IsChecked, FakeWindow>("IsChecked", 16),
    Export<+[](FakeWindow* w, int a) { w->x = a * 2; }>("Double", 16),
};

// Handler text with its strings at the front, behind a jump over them, so their addresses are
// known before the code is written.
class Handler {
public:
    uint32_t Str(const std::string& s)
    {
        uint32_t at = next;
        data += "s \"" + s + "\" ";
        // The tab escape grows by two bytes in memory.
        size_t tabs = 0;
        for (size_t k = s.find("\\t"); k != std::string::npos; k = s.find("\\t", k + 2))
            ++tabs;
        next += static_cast<uint32_t>(s.size() + 2 * tabs) + 1;
        return at;
    }
    // Code that leaves the function word of name in rf and the object word of object in ro.
    std::string Lookup(const std::string& name, const std::string& object, int rf, int ro)
    {
        return "set r20 " + std::to_string(Str("Kestrova.exe")) + " nlink r20 r21 set r20 " +
               std::to_string(Str(name)) + " nsa r21 r20 r" + std::to_string(rf) + " set r20 " +
               std::to_string(Str(object)) + " ndsa r20 r" + std::to_string(ro) + " ";
    }
    std::string Build(const std::string& code) const
    {
        return "jmp " + std::to_string(next) + " " + data + code;
    }

private:
    std::string data;
    uint32_t next = 4;
};

class NativeCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tamrik::SetExtraExportsForTesting(FAKE_ROWS);
        a.vm = b.vm = check.vm = system.vm;
        vm().RegisterObjectAs<FakeWindow>("A", &a);
        vm().RegisterObjectAs<FakeWindow>("B", &b);
        vm().RegisterObjectAs<FakeWindow>("Check", &check);
    }
    void TearDown() override { Tamrik::SetExtraExportsForTesting({}); }

    CVirtualMachine& vm() { return *system.vm; }
    int32_t R(int r) { return Reg(vm(), r); }
    void Run(const Handler& h, const std::string& code) { AssembleAndRun(vm(), h.Build(code)); }

    ScratchDir dir;
    TestSystem system{true};
    FakeWindow a, b;
    FakeCheckBox check;
};

TEST_F(NativeCalls, FailedLookupsGiveZeroAndTheRunGoesOn)
{
    Handler h;
    uint32_t other = h.Str("user32.dll");
    uint32_t plain = h.Str("Kestrova");
    std::string code = h.Lookup("NoSuchMethod", "Nobody", 4, 6);
    code += "set r1 " + std::to_string(other) + " nlink r1 r7 set r1 " + std::to_string(plain) +
            " nlink r1 r8 nrel r8 set r9 1 halt";
    Run(h, code);
    EXPECT_EQ(R(4), 0);
    EXPECT_EQ(R(6), 0);
    EXPECT_EQ(R(7), 0);
    EXPECT_NE(R(8), 0);
    EXPECT_NE(R(21), 0);
    EXPECT_EQ(R(9), 1);
    EXPECT_NE(ReadFile("log.txt").find("ndsa - object = 'Nobody'."), std::string::npos);

    // ndsa entered the name without an object, so a later registration under it is ignored.
    vm().RegisterObjectAs<FakeWindow>("Nobody", &b);
    EXPECT_EQ(vm().registry.at("Nobody"), nullptr);
}

TEST_F(NativeCalls, OneNlthisServesSeveralCalls)
{
    Handler h;
    Run(h, h.Lookup("Count", "A", 4, 6) + "nlthis r6 ncall r4 ncall r4 ncall r4 halt");
    EXPECT_EQ(a.calls, 3);
    EXPECT_EQ(R(0), 3);
}

TEST_F(NativeCalls, TheWordPushedLastIsTheFirstArgumentAndExtraWordsStay)
{
    Handler h;
    Run(h, h.Lookup("SetPosition", "A", 4, 6) +
               "set r1 111 set r2 7 set r3 5 push r1 push r2 push r3 nlthis r6 ncall r4 pop r10 halt");
    EXPECT_EQ(a.x, 5);
    EXPECT_EQ(a.y, 7);
    EXPECT_EQ(R(10), 111);
    EXPECT_EQ(vm().StackDepth(), 0);

    Run(h, h.Lookup("Double", "B", 4, 6) + "set r1 1 set r2 2 set r3 21 push r1 push r2 push r3 "
                                           "nlthis r6 ncall r4 halt");
    EXPECT_EQ(b.x, 42);
    EXPECT_EQ(vm().StackDepth(), 2);
}

TEST_F(NativeCalls, ArgumentsOfEachKindArriveAsTheMethodExpects)
{
    Handler h;
    uint32_t hello = h.Str("hello\\tthere");
    Run(h, h.Lookup("SetText", "A", 4, 6) + "set r1 " + std::to_string(hello) +
               " m2xm r1 r2 push r2 nlthis r6 ncall r4 xm2m r2 r3 halt");
    EXPECT_EQ(a.text, "hello    there");
    EXPECT_EQ(R(3), static_cast<int32_t>(hello));

    Handler c;
    // 0x1FF: a colour byte is the word's low byte.
    Run(c, c.Lookup("SetTextColor", "A", 4, 6) + "set r1 511 set r2 2 set r3 3 push r3 push r2 push r1 "
                                                 "nlthis r6 ncall r4 halt");
    EXPECT_EQ(a.colour[0], 255);
    EXPECT_EQ(a.colour[1], 2);
    EXPECT_EQ(a.colour[2], 3);

    // A bool is true exactly when the word's low byte is 1; r0 then holds 0 or 1.
    for (auto [word, expected] : {std::pair{1, true}, {257, true}, {0, false}, {2, false}}) {
        Handler d;
        std::string code = d.Lookup("SetShown", "B", 4, 6) + "set r1 " + std::to_string(word) +
                           " push r1 nlthis r6 ncall r4 set r10 " + std::to_string(d.Str("IsShown")) +
                           " nsa r21 r10 r5 ncall r5 halt";
        Run(d, code);
        EXPECT_EQ(b.shown, expected) << word;
        EXPECT_EQ(R(0), expected ? 1 : 0) << word;
    }
}

TEST_F(NativeCalls, ATextWordFromGetTextPassesOneWindowsTextToAnother)
{
    a.text = "from A";
    Handler h;
    std::string code = h.Lookup("GetText", "A", 4, 6) + "nlthis r6 ncall r4 add r0 r9 r7 " +
                       h.Lookup("SetTextRef", "B", 4, 6) + "push r7 nlthis r6 ncall r4 halt";
    Run(h, code);
    EXPECT_EQ(b.text, "from A");

    // The same text keeps its word; the colour gets a word of its own.
    Handler g;
    Run(g, g.Lookup("GetText", "A", 4, 6) + "nlthis r6 ncall r4 add r0 r9 r7 ncall r4 add r0 r9 r8 " +
               "set r10 " + std::to_string(g.Str("GetTextColor")) + " nsa r21 r10 r5 ncall r5 halt");
    EXPECT_EQ(R(7), R(8));
    EXPECT_NE(R(0), 0);
    EXPECT_NE(R(0), R(7));
}

TEST(NativeWordTables, EveryEntryIsHandedOutOnceThenNoneWhileTheWordsGivenStayGood)
{
    using Tamrik::NativeWords;
    constexpr size_t FULL = NativeWords::MAX_ENTRIES;
    std::vector<uint8_t> memory(Tamrik::MACHINE_MEMORY_SIZE);
    NativeWords words(memory.data());
    std::vector<std::string> texts(FULL + 1);
    std::vector<std::array<unsigned char, 3>> colours(FULL + 1);
    size_t wrong = 0;
    for (size_t i = 0; i < FULL; ++i) {
        wrong += words.TextWord(texts[i]) != Tamrik::TEXT_WORD_BASE + i;
        wrong += words.ColourWord(colours[i].data()) != Tamrik::COLOUR_WORD_BASE + i;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(words.TextWord(texts[FULL]), 0u);
    EXPECT_EQ(words.ColourWord(colours[FULL].data()), 0u);
    EXPECT_EQ(words.TextWord(texts[0]), Tamrik::TEXT_WORD_BASE);
    EXPECT_EQ(words.ColourWord(colours[FULL - 1].data()), Tamrik::COLOUR_WORD_BASE + FULL - 1);
    EXPECT_EQ(words.Text(Tamrik::TEXT_WORD_BASE + FULL - 1), &texts[FULL - 1]);
    EXPECT_EQ(words.Text(Tamrik::TEXT_WORD_BASE + FULL), nullptr);
    EXPECT_EQ(words.Colour(Tamrik::COLOUR_WORD_BASE + FULL), nullptr);
}

TEST_F(NativeCalls, AMethodOfADerivedClassAcceptsOnlyObjectsOfThatClass)
{
    Handler h;
    Run(h, h.Lookup("IsChecked", "Check", 4, 6) + "nlthis r6 ncall r4 halt");
    EXPECT_EQ(R(0), 1);

    Handler w;
    Run(w, w.Lookup("IsChecked", "A", 4, 6) + "nlthis r6 ncall r4 set r9 1 halt");
    EXPECT_EQ(R(9), 0);
}

// Each bad call ends the run before anything is called; the set r9 1 behind it never runs.
TEST_F(NativeCalls, BadCallsEndTheRunWithoutCallingAnything)
{
    auto expectStopped = [&](const std::string& why, auto&& build) {
        Handler h;
        Run(h, build(h) + " set r9 1 halt");
        EXPECT_EQ(R(9), 0) << why;
        EXPECT_EQ(a.calls, 0) << why;
        EXPECT_EQ(a.text, "") << why;
        EXPECT_FALSE(system.quit) << why;
    };
    expectStopped("function word 0", [](Handler& h) { return h.Lookup("Nothing", "A", 4, 6) + "nlthis r6 ncall r4"; });
    expectStopped("made-up function word", [](Handler& h) {
        return h.Lookup("Count", "A", 4, 6) + "nlthis r6 set r1 1 add r4 r1 r4 set r1 100 lsh r1 r1 r1 add r4 r1 r4 ncall r4";
    });
    expectStopped("no call object", [](Handler& h) { return h.Lookup("Count", "A", 4, 6) + "ncall r4"; });
    expectStopped("made-up object word", [](Handler& h) {
        return h.Lookup("Count", "A", 4, 6) + "set r1 9 add r6 r1 r6 nlthis r6 ncall r4";
    });
    expectStopped("object of another class", [](Handler& h) {
        return h.Lookup("?Terminate@CSystem@Tamrik@@QAEXXZ", "A", 4, 6) + "nlthis r6 ncall r4";
    });
    expectStopped("method on the wrong registered class", [](Handler& h) {
        return h.Lookup("Count", "System", 4, 6) + "nlthis r6 ncall r4";
    });
    expectStopped("too few words", [](Handler& h) {
        return h.Lookup("SetPosition", "A", 4, 6) + "push r1 nlthis r6 ncall r4";
    });
    expectStopped("string address outside memory", [](Handler& h) {
        return h.Lookup("SetText", "A", 4, 6) + "set r1 65535 inc r1 m2xm r1 r2 push r2 nlthis r6 ncall r4";
    });
    expectStopped("raw machine address as a string", [](Handler& h) {
        return h.Lookup("SetText", "A", 4, 6) + "set r2 4 push r2 nlthis r6 ncall r4";
    });
    expectStopped("memory word as a text", [](Handler& h) {
        return h.Lookup("SetTextRef", "A", 4, 6) + "set r1 4 m2xm r1 r2 push r2 nlthis r6 ncall r4";
    });
    expectStopped("unknown text word", [](Handler& h) {
        return h.Lookup("SetTextRef", "A", 4, 6) + "set r2 20480 set r1 16 lsh r2 r1 r2 push r2 nlthis r6 ncall r4";
    });
    expectStopped("text word one past the last one given", [](Handler& h) {
        return h.Lookup("GetText", "B", 4, 6) + "nlthis r6 ncall r4 inc r0 push r0 " +
               h.Lookup("SetTextRef", "A", 4, 6) + "nlthis r6 ncall r4";
    });
}

TEST_F(NativeCalls, ANestedRunStartsCleanAndGivesTheOuterHandlerItsStateBack)
{
    // A's handler reports what it finds (x = r5 + M32[50000], y = r30) through SetPosition on A,
    // then changes registers, memory, stack and call object, and fires B in turn.
    Handler inner;
    std::string innerCode = inner.Lookup("SetPosition", "A", 8, 9) + inner.Lookup("Fire", "B", 4, 6) +
                            "add r30 r0 r1 ld32 50000 r2 add r2 r5 r2 push r1 push r2 nlthis r9 ncall r8 "
                            "set r5 99 set r1 77 st32 r1 50000 push r1 push r1 nlthis r6 ncall r4 halt";
    a.handler = Assemble(inner.Build(innerCode));
    ASSERT_TRUE(a.handler);
    // B's handler has no call object of its own: its ncall ends its run.
    Handler innermost;
    b.handler = Assemble(innermost.Build(innermost.Lookup("Count", "A", 4, 7) + "ncall r4 set r9 1 halt"));
    ASSERT_TRUE(b.handler);

    Handler outer;
    std::string outerCode = outer.Lookup("Fire", "A", 4, 6) + outer.Lookup("Count", "A", 12, 13) +
                            "set r5 1234 set r1 4321 st32 r1 50000 push r5 nlthis r13 ncall r4 "
                            "ncall r12 pop r14 ld32 50000 r15 halt";
    Run(outer, outerCode);

    EXPECT_EQ(a.fired, 1);
    EXPECT_EQ(b.fired, 1);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 65536);
    // The outer handler's registers, memory, stack and call object survived both nested runs.
    EXPECT_EQ(R(5), 1234);
    EXPECT_EQ(R(14), 1234);
    EXPECT_EQ(R(15), 4321);
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(R(0), 1);
    EXPECT_EQ(R(9), 0);
    EXPECT_EQ(vm().StackDepth(), 0);
}

TEST_F(NativeCalls, HandlersThatFireThemselvesStopAtTheNestingLimit)
{
    Handler h;
    a.handler = Assemble(h.Build(h.Lookup("Fire", "A", 4, 6) + "nlthis r6 ncall r4 halt"));
    ASSERT_TRUE(a.handler);
    a.Fire();
    EXPECT_EQ(a.fired, CVirtualMachine::MAX_NESTED_RUNS + 1);
}

} // namespace
