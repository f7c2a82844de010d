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

// Labels nested depth deep, each shown and each with a focus handler: showing the k-th level
// notifies the k - 1 levels above it.
inline std::string NestedFocusLabels(int depth)
{
    std::string xml = "<gui>";
    for (int i = 0; i < depth; ++i)
        xml += "<label visible=\"true\">" + Event("OnGainFocus", "halt");
    for (int i = 0; i < depth; ++i)
        xml += "</label>";
    return xml + "</gui>";
}

enum class Trigger { Move, Press, Build };

struct HostileGui {
    const char* name;
    Trigger trigger;
    std::string xml;
};

inline std::vector<HostileGui> HostileGuis()
{
    const std::string press = "OnMouseButtonDown";
    const std::string focus = "OnGainFocus";
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
    };
}

} // namespace kestrova_test
