// GUIs that try to freeze the viewer or flood its log from their handlers, for the tests (on a
// fake clock) and the benchmark (on the real one). Each is a "gui/gui.xml" for an 800 x 600
// screen whose hostile part is set off by mouse input on the full-screen label "hostile", or by
// the build itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/export_names.h"

namespace kestrova_test {

// Handler text of one instruction per line, the strings behind them; "$k" in a line stands for
// the address of string k, and a jump target is 4 times the line's index.
inline std::string LinedHandler(const std::vector<std::string>& lines, const std::vector<std::string>& strings)
{
    std::vector<uint32_t> at;
    uint32_t next = static_cast<uint32_t>(4 * lines.size());
    for (const std::string& s : strings) {
        at.push_back(next);
        next += static_cast<uint32_t>(s.size()) + 1;
    }
    std::string text;
    for (std::string line : lines) {
        for (size_t k = strings.size(); k-- > 0;) {
            const std::string mark = "$" + std::to_string(k);
            for (size_t p = line.find(mark); p != std::string::npos; p = line.find(mark))
                line.replace(p, mark.size(), std::to_string(at[k]));
        }
        text += line + "\n";
    }
    for (const std::string& s : strings)
        text += "s \"" + s + "\"\n";
    return text;
}

// Lines 0 to 5 of a handler that calls method on object: r4 the function, r6 the object; strings
// 0 to 2 are the module, the method and the object.
inline std::vector<std::string> CallSetupLines()
{
    return {"set r20 $0", "nlink r20 r21", "set r20 $1", "nsa r21 r20 r4", "set r20 $2", "ndsa r20 r6"};
}

inline std::vector<std::string> CallStrings(const std::string& method, const std::string& object)
{
    return {"Kestrova.exe", method, object};
}

// Lines 6 to 9: a 61,404-byte name of 'A's at address 4096, r1 pointing at it.
inline std::vector<std::string> LongNameLines()
{
    return {"set r1 4096", "set r2 65", "set r3 65500", "st8r r2 r1", "inc r1", "cmp r1 r3", "jmp_lt 36",
            "set r1 4096"};
}

inline std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::string Event(const std::string& name, const std::string& text)
{
    return "<event name=\"" + name + "\">" + text + "</event>";
}

// The full-screen label with the given events, and further windows behind it.
inline std::string HostileLabel(const std::string& events, const std::string& more = "")
{
    return "<gui><label name=\"hostile\" position=\"0x0\" size=\"800x600\" visible=\"true\">" + events +
           "</label>" + more + "</gui>";
}

// Sets the label's text to a 61 KB one without end.
inline std::string SetLongTexts()
{
    return LinedHandler(Join(Join(CallSetupLines(), LongNameLines()),
                             {"m2xm r1 r2", "push r2", "nlthis r6", "ncall r4", "jmp 56"}),
                        CallStrings(exports::SET_TEXT_C, "hostile"));
}

// A press that switches the GUI off and on, count times (0: without end).
inline std::string SetActiveToggles(int count)
{
    std::vector<std::string> lines = Join(CallSetupLines(), {"set r11 " + std::to_string(count), "set r1 0",
                                                             "push r1", "nlthis r6", "ncall r4", "set r1 1",
                                                             "push r1", "nlthis r6", "ncall r4", "inc r10"});
    lines.push_back(count > 0 ? "cmp r10 r11" : "jmp 28");
    lines.push_back("jmp_lt 28");
    lines.push_back("halt");
    return LinedHandler(lines, CallStrings(exports::SET_ACTIVE, "GUI"));
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
    const std::vector<std::string> longName = Join(CallSetupLines(), LongNameLines());
    return {
        {"endless mouse move", Trigger::Move, HostileLabel(Event("OnMouseMove", "jmp 0"))},
        {"ndsa of a 61 KB name", Trigger::Press,
         HostileLabel(Event("OnMouseButtonDown", LinedHandler(Join(longName, {"ndsa r1 r5", "jmp 56"}),
                                                              CallStrings(exports::IS_VISIBLE, "hostile"))))},
        {"SetText of a 61 KB text", Trigger::Press, HostileLabel(Event("OnMouseButtonDown", SetLongTexts()))},
        {"SetActive off and on", Trigger::Press, HostileLabel(Event("OnMouseButtonDown", SetActiveToggles(0)))},
        {"ndsa, nlthis and ncall with the log on", Trigger::Press,
         HostileLabel(Event("OnMouseButtonDown",
                            LinedHandler(Join(CallSetupLines(), {"nlthis r6", "ncall r4", "ndsa r20 r6", "jmp 24"}),
                                         CallStrings(exports::IS_VISIBLE, "hostile"))))},
        {"showing a window that halts", Trigger::Press,
         HostileLabel(Event("OnMouseButtonDown",
                            LinedHandler(Join(CallSetupLines(), {"set r1 1", "push r1", "nlthis r6", "ncall r4",
                                                                 "jmp 24"}),
                                         CallStrings(exports::SET_VISIBLE, "target"))),
                      "<label name=\"target\">" + Event("OnGainFocus", "halt") + "</label>")},
        {"two windows showing each other", Trigger::Press,
         HostileLabel(Event("OnGainFocus",
                            LinedHandler(Join(CallSetupLines(), {"set r1 1", "push r1", "nlthis r6", "ncall r4",
                                                                 "jmp 24"}),
                                         CallStrings(exports::SET_VISIBLE, "other"))),
                      "<label name=\"other\">" +
                          Event("OnGainFocus",
                                LinedHandler(Join(CallSetupLines(), {"set r1 1", "push r1", "nlthis r6", "ncall r4",
                                                                     "jmp 24"}),
                                             CallStrings(exports::SET_VISIBLE, "hostile"))) +
                          "</label>")},
        {"4,000 nested labels with focus handlers", Trigger::Build, NestedFocusLabels(4000)},
    };
}

} // namespace kestrova_test
