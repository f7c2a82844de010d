// GUIs whose handlers try to freeze the viewer or flood its log, for the tests (fake clock) and the
// bench (real clock): gui.xml files for 800 x 600, set off by input on the label "hostile" or the build.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/export_names.h"
#include "tests/support/handler_text.h"

namespace kestrova_test {

// Writes a 61,404-byte name of 'A's at address 4096 and leaves r1 pointing at it.
inline HandlerText& WriteLongName(HandlerText& h)
{
    h.Code({"set r1 4096", "set r2 65", "set r3 65500"});
    const uint32_t loop = h.Here();
    return h.Code({"st8r r2 r1", "inc r1", "cmp r1 r3"}).Jump(loop, "jmp_lt").Code("set r1 4096");
}

// Finds method on object, then calls it with args again and again, each call after body.
inline std::string CallsForever(const std::string& method, const std::string& object, const std::vector<int>& args,
                                std::initializer_list<std::string> body = {})
{
    HandlerText h;
    h.Find(method, object);
    const uint32_t loop = h.Here();
    return h.Code(body).Invoke(args).Jump(loop).Text();
}

// The full-screen label with the given events, and further windows behind it.
inline std::string HostileLabel(const std::string& events, const std::string& more = "")
{
    return "<gui><label name=\"hostile\" position=\"0x0\" size=\"800x600\" visible=\"true\">" + events +
           "</label>" + more + "</gui>";
}

// Looks up the 61 KB name as an object without end.
inline std::string LooksUpALongName()
{
    HandlerText h;
    const uint32_t loop = WriteLongName(h).Here();
    return h.Code("ndsa r1 r5").Jump(loop).Text();
}

// Sets the label's text to a 61 KB one without end.
inline std::string SetLongTexts()
{
    HandlerText h;
    const uint32_t loop = WriteLongName(h.Find(exports::SET_TEXT_C, "hostile")).Here();
    return h.Code({"m2xm r1 r2", "push r2"}).Invoke().Jump(loop).Text();
}

// A press that switches the GUI off and on, count times (0: without end).
inline std::string SetActiveToggles(int count)
{
    HandlerText h;
    h.Find(exports::SET_ACTIVE, "GUI").Code("set r11 " + std::to_string(count));
    const uint32_t loop = h.Here();
    h.Invoke({0}).Invoke({1}).Code("inc r10");
    return (count > 0 ? h.Code("cmp r10 r11").Jump(loop, "jmp_lt") : h.Jump(loop)).Text();
}

// text count times over.
inline std::string Repeat(const std::string& text, int count)
{
    std::string repeated;
    repeated.reserve(text.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

// depth elements, each opened by open inside the one before, then all closed by close.
inline std::string Nested(const std::string& open, const std::string& close, int depth)
{
    return Repeat(open, depth) + Repeat(close, depth);
}

// Labels nested depth deep, each shown and each with a focus handler: showing the k-th level
// notifies the k - 1 levels above it.
inline std::string NestedFocusLabels(int depth)
{
    return "<gui>" + Nested("<label visible=\"true\">" + Event("OnGainFocus", "halt"), "</label>", depth) + "</gui>";
}

// A label named name with branches chains of depth labels under it. The build makes windows level
// by level, so the windows of one chain lie a level apart: a walk down a chain misses the cache
// at every window.
inline std::string Broom(const std::string& name, int branches, int depth)
{
    return "<label name=\"" + name + "\">" + Repeat(Nested("<label>", "</label>", depth), branches) + "</label>";
}

// count labels, hidden, each opened and closed (no text, no handler).
inline std::string Labels(int count, const std::string& attributes = "")
{
    return Repeat("<label" + attributes + "/>", count);
}

// A press that shows the window "big", whose children are many, as its last call; many top-level
// windows lie behind it.
inline std::string ShowsAWideWindow(int children, int topLevels)
{
    HandlerText h;
    h.Call(exports::SET_VISIBLE, "big", {1});
    return HostileLabel(Event("OnMouseButtonDown", h.Text()),
                        Labels(topLevels) + "<label name=\"big\">" + Labels(children) + "</label>");
}

// Many top-level windows, then one whose many children are all shown as they are built.
inline std::string ManyShownChildrenLate(int children, int topLevels)
{
    return "<gui>" + Labels(topLevels) + "<label visible=\"true\">" + Labels(children, " visible=\"true\"") +
           "</label></gui>";
}

// Dialogs nested depth deep, all shown: each one shown notifies every dialog above it.
inline std::string NestedShownDialogs(int depth)
{
    return "<gui>" + Nested("<dialog visible=\"true\">", "</dialog>", depth) + "</gui>";
}

// Labels nested depth deep, all shown by the build, each with a focus handler of ten million
// instructions, which the levels below it run as they are shown: the build's work is nearly all
// instructions.
inline std::string NestedCostlyFocusHandlers(int depth)
{
    HandlerText h;
    h.Code({"set r1 0", "set r2 3333333"});
    const uint32_t loop = h.Here();
    const std::string handler = h.Code({"inc r1", "cmp r1 r2"}).Jump(loop, "jmp_lt").Text();
    return "<gui>" + Nested("<label visible=\"true\">" + Event("OnGainFocus", handler), "</label>", depth) + "</gui>";
}

// A press that shows a hidden chain of labels depth deep, each with an empty focus handler.
inline std::string ShowsADeepChainOfEmptyFocusHandlers(int depth)
{
    HandlerText h;
    h.Call(exports::SET_VISIBLE, "chain", {1});
    return HostileLabel(Event("OnMouseButtonDown", h.Text()),
                        "<label name=\"chain\">" + Nested("<label>" + Event("OnGainFocus", ""), "</label>", depth) +
                            "</label>");
}

// A handler whose text goes on far past what the machine can hold: strings of one byte each.
inline std::string AHandlerFarPastTheMemory(int strings)
{
    return HostileLabel(Event("OnMouseButtonDown", Repeat("s \"\" ", strings)));
}

// windows hidden windows "w0", "w1", ..., each of which copies the 61 KB text of "source" into its
// own when it gains the focus; a press shows them all.
inline std::string CopiesLongTextsIntoManyWindows(int windows)
{
    std::string holder = "<label name=\"holder\">";
    for (int i = 0; i < windows; ++i) {
        const std::string name = "w" + std::to_string(i);
        HandlerText h;
        h.Call(exports::GET_TEXT, "source").Code("push r0").Find(exports::SET_TEXT_STRING, name).Invoke();
        holder += "<label name=\"" + name + "\">" + Event("OnGainFocus", h.Text()) + "</label>";
    }
    holder += "</label><label name=\"source\" text=\"" + std::string(61404, 'A') + "\"/>";
    HandlerText h;
    h.Call(exports::SET_VISIBLE, "holder", {1});
    return HostileLabel(Event("OnMouseButtonDown", h.Text()), holder);
}

// A move handler that logs the 61 KB name count times on every pass.
inline std::string LogsALongNameOnEveryMove(int count)
{
    HandlerText h;
    WriteLongName(h).Code({"set r11 " + std::to_string(count), "set r10 0"});
    const uint32_t loop = h.Here();
    h.Code({"ndsa r1 r5", "inc r10", "cmp r10 r11"}).Jump(loop, "jmp_lt");
    return HostileLabel(Event("OnMouseMove", h.Text()));
}

// An endless move handler on a window whose name is nameBytes line feeds.
inline std::string AnEndlessHandlerWithALongName(size_t nameBytes)
{
    return "<gui><label name=\"" + std::string(nameBytes, '\n') +
           "\" position=\"0x0\" size=\"800x600\" visible=\"true\">" + Event("OnMouseMove", "jmp 0") +
           "</label></gui>";
}

// count empty dialogs, each of which is five windows.
inline std::string EmptyDialogs(int count)
{
    return "<gui>" + Repeat("<dialog/>", count) + "</gui>";
}

// Sets register r to value (up to 2^30), which set alone cannot hold (r12 and r13 used).
inline HandlerText& SetLarge(HandlerText& h, const std::string& r, uint32_t value)
{
    return h.Code({"set " + r + " " + std::to_string(value >> 15), "set r12 15", "lsh " + r + " r12 " + r,
                   "set r13 " + std::to_string(value & 0x7FFF), "or " + r + " r13 " + r});
}

// labels labels "l0", "l1", ... (registered one after another, so their object words follow each other).
inline std::string NamedLabels(int labels)
{
    std::string xml;
    for (int i = 0; i < labels; ++i)
        xml += "<label name=\"l" + std::to_string(i) + "\"/>";
    return xml;
}

// GetText on each of the labels "l0" ... in turn, then on the last one without end.
inline std::string GetsEveryTextThenTheLastForever(int labels)
{
    HandlerText h;
    SetLarge(h.Find(exports::GET_TEXT, "l0").Code("set r10 0"), "r11", static_cast<uint32_t>(labels));
    const uint32_t each = h.Here();
    h.Invoke().Code({"inc r6", "inc r10", "cmp r10 r11"}).Jump(each, "jmp_lt").Code("dec r6");
    const uint32_t last = h.Here();
    return h.Invoke().Jump(last).Text();
}

// count labels named by their index in four bytes from 'A' to '`', the last one 'A' to 'P'.
inline std::string LabelsWithShortNames(int count)
{
    std::string xml;
    xml.reserve(20 * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char name[] = {static_cast<char>('A' + (i & 31)), static_cast<char>('A' + (i >> 5 & 31)),
                             static_cast<char>('A' + (i >> 10 & 31)), static_cast<char>('A' + (i >> 15 & 15)), 0};
        xml += "<label name=\"" + std::string(name) + "\"/>";
    }
    return xml;
}

// Sets up RandomUnknownName's generator from seed (r12 to r25 used).
inline HandlerText& SeedRandomNames(HandlerText& h, uint32_t seed)
{
    SetLarge(SetLarge(SetLarge(h, "r14", seed), "r15", 1664525), "r16", 1013904223);
    return h.Code({"set r17 31", "set r18 65", "set r19 16", "set r22 12", "set r23 17", "set r24 22", "set r25 27",
                   "set r1 4096"});
}

// Writes the generator's next name at r1: four bytes like LabelsWithShortNames's, but the last
// one 'Q' or later, so that no window has it (r2, r3 used).
inline HandlerText& RandomUnknownName(HandlerText& h)
{
    h.Code({"mul r14 r15 r14", "add r14 r16 r14", "add r1 r9 r2"});
    for (int k = 0; k < 4; ++k) {
        h.Code({"rsh r14 r" + std::to_string(22 + k) + " r3", "and r3 r17 r3"});
        if (k == 3)
            h.Code("or r3 r19 r3");
        h.Code({"add r3 r18 r3", "st8r r3 r2", "inc r2"});
    }
    return h;
}

// The sine, cosine and tangent of about 3e38 without end.
inline std::string TrigonometryOfAHugeAngle()
{
    HandlerText h;
    h.Code("setf r1 3e38");
    const uint32_t loop = h.Here();
    return h.Code({"fsin r1 r2", "fcos r1 r3", "ftan r1 r4"}).Jump(loop).Text();
}

// 49,901,568 sines of about 3e38 in one run: 12,183 passes of 4,096, just under the instruction budget.
inline std::string SinesForAlmostTheWholeBudget()
{
    HandlerText h;
    h.Code({"setf r1 3e38", "set r7 0", "set r8 12183"});
    const uint32_t loop = h.Here();
    for (int i = 0; i < 4096; ++i)
        h.Code("fsin r1 r2");
    return h.Code({"inc r7", "cmp r7 r8"}).Jump(loop, "jmp_lt").Text();
}

// Looks up pseudo-random names that no window has, without end (r1 to r3, r12 to r25 used).
inline std::string LooksUpRandomUnknownNames()
{
    HandlerText h;
    const uint32_t loop = SeedRandomNames(h, 5).Here();
    return RandomUnknownName(h).Code("ndsa r1 r5").Jump(loop).Text();
}

// A label with the given focus handler, whose only shown window lies 11 levels down: it is
// built, and the handler runs, after a broom's windows.
inline std::string FocusHandlerBelowABroom(const std::string& handler)
{
    return "<label>" + Event("OnGainFocus", handler) + Repeat("<label>", 10) + "<label visible=\"true\"/>" +
           Repeat("</label>", 11);
}

// A chain of depth labels whose end gets pairs of focus handlers, one that assembles and one that
// does not, each followed by a shown label: each handler changes whether the end reacts, which
// stales the remembered focus ancestors, so the next label's search climbs the whole chain.
inline std::string FocusHandlersComingAndGoingUnderADeepChain(int depth, int pairs)
{
    const std::string pair = Event("OnGainFocus", "halt") + "<label visible=\"true\"/>" +
                             Event("OnGainFocus", "no such instruction") + "<label visible=\"true\"/>";
    return "<gui>" + Repeat("<label>", depth) + Repeat(pair, pairs) + Repeat("</label>", depth) + "</gui>";
}

enum class Trigger { Move, Press, Build };

struct HostileGui {
    const char* name;
    Trigger trigger;
    std::string xml;
    // A build whose handler runs into the bound: that handler is switched off.
    bool buildBlamesAHandler = false;
};

// The hostile GUIs at the sizes that froze the program before its work was counted (full), or
// at sizes that reach the lowered budgets of the tests.
inline std::vector<HostileGui> HostileGuis(bool full = false)
{
    const std::string press = "OnMouseButtonDown";
    const std::string focus = "OnGainFocus";
    const int scale = full ? 10 : 1;
    const std::string broom = Broom("broom", full ? 25000 : 100, 10);
    return {
        {"endless mouse move", Trigger::Move, HostileLabel(Event("OnMouseMove", "jmp 0"))},
        {"ndsa of a 61 KB name", Trigger::Press, HostileLabel(Event(press, LooksUpALongName()))},
        {"SetText of a 61 KB text", Trigger::Press, HostileLabel(Event(press, SetLongTexts()))},
        {"SetActive off and on", Trigger::Press, HostileLabel(Event(press, SetActiveToggles(0)))},
        {"ndsa, nlthis and ncall with the log on", Trigger::Press,
         HostileLabel(Event(press, CallsForever(exports::IS_VISIBLE, "hostile", {}, {"ndsa r20 r6"})))},
        {"showing a window that halts", Trigger::Press,
         HostileLabel(Event(press, CallsForever(exports::SET_VISIBLE, "target", {1})),
                      "<label name=\"target\">" + Event(focus, "halt") + "</label>")},
        {"two windows showing each other", Trigger::Press,
         HostileLabel(Event(focus, CallsForever(exports::SET_VISIBLE, "other", {1})),
                      "<label name=\"other\">" + Event(focus, CallsForever(exports::SET_VISIBLE, "hostile", {1})) +
                          "</label>")},
        {"4,000 nested labels with focus handlers", Trigger::Build, NestedFocusLabels(4000)},
        {"showing a window of many children as the last call", Trigger::Press,
         ShowsAWideWindow(full ? 40000 : 3500, full ? 40000 : 10)},
        {"many shown children under late top-level windows", Trigger::Build,
         ManyShownChildrenLate(full ? 40000 : 20000, full ? 40000 : 2000)},
        {"nested shown dialogs", Trigger::Build, NestedShownDialogs(2000 * scale)},
        {"a file of empty dialogs", Trigger::Build, EmptyDialogs(full ? 465000 : 2000)},
        {"showing a deep chain of empty focus handlers", Trigger::Press,
         ShowsADeepChainOfEmptyFocusHandlers(3000 * scale)},
        {"copying a 61 KB text into many windows", Trigger::Press, CopiesLongTextsIntoManyWindows(full ? 6000 : 200)},
        {"a move handler that logs 1 MB on every pass", Trigger::Move, LogsALongNameOnEveryMove(16)},
        {"an endless handler on a window with a 1.5 MB name", Trigger::Move,
         AnEndlessHandlerWithALongName(full ? 1500000 : 150000)},
        {"GetText on every label, then on the last without end", Trigger::Press,
         HostileLabel(Event(press, GetsEveryTextThenTheLastForever(full ? 65536 : 256)), NamedLabels(full ? 65536 : 256))},
        {"GetText on every label in a focus handler of the build", Trigger::Build,
         "<gui>" + NamedLabels(full ? 65536 : 256) + "<label>" + Event(focus, GetsEveryTextThenTheLastForever(full ? 65536 : 256)) +
             "<label visible=\"true\"/></label></gui>",
         true},
        {"GetCheckedIndex over a group of plain children without end", Trigger::Press,
         HostileLabel(Event(press, CallsForever(exports::GET_CHECKED_INDEX, "group", {})),
                      "<radiobuttongroup name=\"group\">" + Labels(full ? 500000 : 2000) + "</radiobuttongroup>")},
        {"sine, cosine and tangent of 3e38 without end", Trigger::Press,
         HostileLabel(Event(press, TrigonometryOfAHugeAngle()))},
        {"five nested shown labels whose focus handlers run 49.9 M sines", Trigger::Build,
         "<gui>" + Nested("<label visible=\"true\">" + Event(focus, SinesForAlmostTheWholeBudget()), "</label>", 5) + "</gui>",
         true},
        {"moving a window of many children without end", Trigger::Press,
         HostileLabel(Event(press, CallsForever(exports::TRANSLATE, "big", {1, 1})),
                      "<label name=\"big\">" + Labels(full ? 500000 : 2000) + "</label>")},
        {"a move handler that moves a broom without end", Trigger::Move,
         HostileLabel(Event("OnMouseMove", CallsForever(exports::TRANSLATE, "broom", {1, 1})), broom)},
        {"a move handler that sets a broom's position without end", Trigger::Move,
         HostileLabel(Event("OnMouseMove", CallsForever(exports::SET_POSITION, "broom", {1, 1})), broom)},
        {"a focus handler of the build that moves a broom without end", Trigger::Build,
         "<gui>" + broom + FocusHandlerBelowABroom(CallsForever(exports::TRANSLATE, "broom", {1, 1})) + "</gui>", true},
        {"a release handler that looks up random unknown names among many", Trigger::Press,
         HostileLabel(Event("OnMouseButtonUp", LooksUpRandomUnknownNames()), LabelsWithShortNames(full ? 190000 : 1000))},
        {"a focus handler of the build that looks up random unknown names among many", Trigger::Build,
         "<gui>" + LabelsWithShortNames(full ? 190000 : 1000) + "<label>" +
             Event(focus, LooksUpRandomUnknownNames()) + "<label visible=\"true\"/></label></gui>",
         true},
        {"GetCheckedIndex over a group of dialogs without end", Trigger::Press,
         HostileLabel(Event(press, CallsForever(exports::GET_CHECKED_INDEX, "group", {})),
                      "<radiobuttongroup name=\"group\">" + Repeat("<dialog/>", full ? 120000 : 200) +
                          "</radiobuttongroup>")},
        {"shown labels under a deep chain whose end's focus handler comes and goes", Trigger::Build,
         FocusHandlersComingAndGoingUnderADeepChain(full ? 120000 : 2000, full ? 15000 : 50)},
    };
}

} // namespace kestrova_test
